#include "document_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vesk_ui::persist {

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

std::string errno_text(int error) {
  return std::strerror(error);
}

namespace {

bool write_all(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void sync_parent_directory(const std::filesystem::path& path) {
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());
}

std::optional<std::string> DocumentStore::File::append(std::span<const std::uint8_t> bytes,
                                                       bool durable) {
  if (::lseek(fd_.get(), static_cast<off_t>(length_), SEEK_SET) < 0) return errno_text(errno);
  if (!write_all(fd_.get(), bytes) || (durable && ::fdatasync(fd_.get()) != 0)) {
    const int error = errno;
    // Leave no half chunk behind that later chunks would be appended after.
    if (::ftruncate(fd_.get(), static_cast<off_t>(length_)) == 0 && durable) {
      ::fdatasync(fd_.get());
    }
    return errno_text(error);
  }
  length_ += bytes.size();
  return std::nullopt;
}

std::optional<std::string> DocumentStore::File::replace(std::span<const std::uint8_t> bytes,
                                                        bool durable) {
  std::string error;
  std::optional<UniqueFd> fresh = write_new_file(path_, bytes, durable, error);
  if (!fresh) return error;
  fd_ = std::move(*fresh);
  length_ = bytes.size();
  return std::nullopt;
}

std::optional<std::string> DocumentStore::File::truncate(std::uint64_t length, bool durable) {
  if (::ftruncate(fd_.get(), static_cast<off_t>(length)) != 0 ||
      (durable && ::fdatasync(fd_.get()) != 0)) {
    return errno_text(errno);
  }
  length_ = length;
  return std::nullopt;
}

std::optional<UniqueFd> write_new_file(const std::filesystem::path& path,
                                       std::span<const std::uint8_t> bytes, bool durable,
                                       std::string& error) {
  std::filesystem::path temp = path;
  temp += ".new";
  ::unlink(temp.c_str());  // left by a crash half-way through an earlier rewrite
  UniqueFd fd(::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!fd.valid()) {
    error = errno_text(errno);
    return std::nullopt;
  }
  // Locked before it takes the document's name, so no other process slips in between.
  const bool ok = ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && write_all(fd.get(), bytes) &&
                  (!durable || ::fsync(fd.get()) == 0) &&
                  std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    error = errno_text(errno);
    ::unlink(temp.c_str());
    return std::nullopt;
  }
  if (durable) sync_parent_directory(path);
  return fd;
}

std::optional<std::vector<std::uint8_t>> read_all(int fd, std::string& error) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error = errno_text(errno);
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (true) {
    if (done == bytes.size()) bytes.resize(bytes.size() + 4096);  // grew since the stat
    const ssize_t n =
        ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno_text(errno);
      return std::nullopt;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

namespace {

// Renames `from` to the first free "<path>.corrupt-<time>[-n]" name without ever replacing a file.
std::optional<std::filesystem::path> rename_to_free_name(const std::filesystem::path& from,
                                                         const std::filesystem::path& path,
                                                         std::int64_t unix_time,
                                                         std::string& error) {
  std::filesystem::path base = path;
  base += ".corrupt-" + std::to_string(unix_time);
  for (int n = 0; n < 10000; ++n) {
    std::filesystem::path candidate = base;
    if (n > 0) {
      candidate += "-";  // appended apart: g++ 12 at -O3 warns falsely on "-" + to_string(n)
      candidate += std::to_string(n);
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) == 0) {
      sync_parent_directory(path);
      return candidate;
    }
    if (errno != EEXIST) break;
  }
  error = errno_text(errno);
  return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> move_aside(const std::filesystem::path& path,
                                                std::int64_t unix_time, std::string& error) {
  return rename_to_free_name(path, path, unix_time, error);
}

std::optional<std::filesystem::path> copy_aside(const std::filesystem::path& path,
                                                std::span<const std::uint8_t> bytes,
                                                std::int64_t unix_time, std::string& error) {
  std::filesystem::path temp = path;
  temp += ".copy";
  ::unlink(temp.c_str());
  UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!fd.valid() || !write_all(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
    error = errno_text(errno);
    ::unlink(temp.c_str());
    return std::nullopt;
  }
  auto moved = rename_to_free_name(temp, path, unix_time, error);
  if (!moved) ::unlink(temp.c_str());
  return moved;
}

}  // namespace vesk_ui::persist
