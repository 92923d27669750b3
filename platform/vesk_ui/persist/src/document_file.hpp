#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "vesk_ui/persist.hpp"

namespace vesk_ui::persist {

// Owns a file descriptor.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();

 private:
  int fd_;
};

// The open document file, locked against other processes for as long as it is open.
class DocumentStore::File {
 public:
  File(std::filesystem::path path, UniqueFd fd, std::uint64_t length)
      : path_(std::move(path)), fd_(std::move(fd)), length_(length) {}

  const std::filesystem::path& path() const { return path_; }
  std::uint64_t length() const { return length_; }

  // Appends at the end of what is known good; on failure cuts the file back to it and gives
  // the reason.
  std::optional<std::string> append(std::span<const std::uint8_t> bytes, bool durable);
  // Replaces the whole file by write-then-rename and keeps the lock on the new file.
  std::optional<std::string> replace(std::span<const std::uint8_t> bytes, bool durable);
  // Cuts the file to `length` bytes.
  std::optional<std::string> truncate(std::uint64_t length, bool durable);

 private:
  std::filesystem::path path_;
  UniqueFd fd_;
  std::uint64_t length_;
};

std::string errno_text(int error);

// Writes a whole file next to `path` and renames it over `path`. Gives the open, locked file.
std::optional<UniqueFd> write_new_file(const std::filesystem::path& path,
                                       std::span<const std::uint8_t> bytes, bool durable,
                                       std::string& error);

// Flushes a directory entry change (a rename, a new file) to disk.
void sync_parent_directory(const std::filesystem::path& path);

// Reads all of an open file.
std::optional<std::vector<std::uint8_t>> read_all(int fd, std::string& error);

// Moves the file to "<name>.corrupt-<unix time>" (with "-<n>" added when that name is taken;
// an existing file is never replaced). Gives the new name.
std::optional<std::filesystem::path> move_aside(const std::filesystem::path& path,
                                                std::int64_t unix_time, std::string& error);

// Writes `bytes` beside the file under the same kind of name.
std::optional<std::filesystem::path> copy_aside(const std::filesystem::path& path,
                                                std::span<const std::uint8_t> bytes,
                                                std::int64_t unix_time, std::string& error);

}  // namespace vesk_ui::persist
