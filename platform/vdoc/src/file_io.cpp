#include "file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vdoc::blobstore {

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

bool UniqueFd::close() {
  return ::close(release()) == 0;
}

ReadResult read_file(const std::filesystem::path& path, std::uint64_t max_bytes) {
  ReadResult result;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    result.status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    return result;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return result;
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) {
    result.status = ReadStatus::TooLarge;
    return result;
  }
  result.bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < result.bytes.size()) {
    const ssize_t n = ::read(fd.get(), result.bytes.data() + done, result.bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // shrank under us: what we have does not hash right, which get notices
    done += static_cast<std::size_t>(n);
  }
  result.bytes.resize(done);
  result.status = ReadStatus::Ok;
  return result;
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

int sync_directory(const std::filesystem::path& dir) {
  const std::filesystem::path where = dir.empty() ? std::filesystem::path(".") : dir;
  UniqueFd fd(::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid() || ::fsync(fd.get()) != 0) return errno;
  return 0;
}

}  // namespace

int write_file_atomically(const std::filesystem::path& temp, const std::filesystem::path& target,
                          std::span<const std::uint8_t> bytes) {
  UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!fd.valid()) return errno;
  if (!write_all(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close() ||
      std::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return error;
  }
  return sync_directory(target.parent_path());
}

int make_private_dirs(const std::filesystem::path& dir) {
  if (dir.empty()) return 0;
  struct stat info {};
  if (::stat(dir.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
  if (dir.has_parent_path() && dir.parent_path() != dir) {
    if (int error = make_private_dirs(dir.parent_path())) return error;
  }
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return 0;
}

}  // namespace vdoc::blobstore
