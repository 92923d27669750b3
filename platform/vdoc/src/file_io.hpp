#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace vdoc::blobstore {

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
  // Closes now and tells whether the close succeeded.
  bool close();

 private:
  int fd_;
};

enum class ReadStatus { Ok, Missing, TooLarge, Failed };

struct ReadResult {
  ReadStatus status = ReadStatus::Failed;
  std::vector<std::uint8_t> bytes;
};

// Reads a whole file of at most max_bytes.
ReadResult read_file(const std::filesystem::path& path, std::uint64_t max_bytes);

// Writes the bytes to `temp` (which must not exist), flushes them to disk and renames the file to
// `target`, then flushes the directory. Gives errno on failure (and removes the temporary file).
int write_file_atomically(const std::filesystem::path& temp, const std::filesystem::path& target,
                          std::span<const std::uint8_t> bytes);

// Creates the directory and its missing parents, readable by the owner only.
int make_private_dirs(const std::filesystem::path& dir);

}  // namespace vdoc::blobstore
