#include "vdoc/fs_blob_store.hpp"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <system_error>
#include <unordered_set>

#include "file_io.hpp"
#include "sha256.hpp"
#include "xdg_paths/xdg_paths.hpp"

namespace vdoc::blobstore {
namespace {

constexpr std::string_view kTempPrefix = ".tmp-";
// A temporary file this old belongs to a writer that died; eviction removes it.
constexpr auto kStaleTempAge = std::chrono::hours(1);

std::string lower(std::string_view id) {
  std::string out(id);
  for (char& c : out) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool is_stored_name(std::string_view name) {
  if (name.size() != 64) return false;
  for (char c : name) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

Error io_error(std::string_view what, int error) {
  return Error{ErrorKind::Io, std::string(what) + ": " + std::strerror(error)};
}

std::filesystem::path unique_temp_name(const std::filesystem::path& root, const BlobId& id) {
  static std::atomic<std::uint64_t> counter{0};
  return root / (std::string(kTempPrefix) + id.substr(0, 16) + "-" + std::to_string(::getpid()) +
                 "-" + std::to_string(counter.fetch_add(1)));
}

}  // namespace

bool is_blob_id(std::string_view id) {
  return is_stored_name(lower(id));
}

FsBlobStore::FsBlobStore(std::filesystem::path root, std::uint64_t max_blob_bytes,
                         std::uint64_t max_total_bytes, std::uint32_t max_blob_count,
                         std::uint32_t max_scan_entries)
    : root_(std::move(root)),
      max_blob_bytes_(max_blob_bytes),
      max_total_bytes_(max_total_bytes),
      max_blob_count_(max_blob_count),
      max_scan_entries_(max_scan_entries) {}

std::filesystem::path FsBlobStore::default_root() {
  if (auto data = xdg_paths::data_dir()) return *data / "vdoc" / "blobs";
  return std::filesystem::temp_directory_path() / ("vdoc-blobs-" + std::to_string(::getuid()));
}

std::filesystem::path FsBlobStore::path_of(std::string_view id) const {
  return root_ / id;
}

std::uint32_t FsBlobStore::blob_count() const {
  std::lock_guard lock(mutex_);
  return blob_count_;
}

std::uint64_t FsBlobStore::total_bytes() const {
  std::lock_guard lock(mutex_);
  return total_bytes_;
}

std::optional<Error> FsBlobStore::take_stock_locked() {
  if (scanned_) return std::nullopt;
  std::map<BlobId, std::uint64_t> found;
  std::uint64_t bytes = 0;
  std::uint64_t entries = 0;
  bool over_limit = false;
  std::error_code error;
  std::filesystem::directory_iterator it(root_, error);
  if (error == std::errc::no_such_file_or_directory) {
    error.clear();
  } else {
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
      if (++entries > max_scan_entries_) {
        over_limit = true;
        break;
      }
      const std::string name = it->path().filename().string();
      std::error_code stat_error;
      if (!is_stored_name(name) || !it->is_regular_file(stat_error)) continue;
      const std::uintmax_t size = it->file_size(stat_error);
      if (stat_error) continue;
      found.emplace(name, size);
      bytes += size;
    }
  }
  if (error) return Error{ErrorKind::Io, "cannot read blob directory: " + error.message()};
  blob_count_ = static_cast<std::uint32_t>(found.size());
  total_bytes_ = bytes;
  counted_ = std::move(found);
  over_scan_limit_ = over_limit;
  scanned_ = true;
  return std::nullopt;
}

void FsBlobStore::count_locked(const BlobId& id, std::uint64_t size) {
  auto [entry, added] = counted_.try_emplace(id, size);
  if (added) {
    blob_count_ += 1;
    total_bytes_ += size;
  } else {
    total_bytes_ = total_bytes_ - std::min(total_bytes_, entry->second) + size;
    entry->second = size;
  }
}

std::optional<Bytes> FsBlobStore::get(std::string_view id) {
  const std::string key = lower(id);
  if (!is_stored_name(key)) return std::nullopt;
  ReadResult read = read_file(path_of(key), max_blob_bytes_);
  if (read.status != ReadStatus::Ok || sha256_hex(read.bytes) != key) return std::nullopt;
  return std::move(read.bytes);
}

bool FsBlobStore::has(std::string_view id) {
  const std::string key = lower(id);
  if (!is_stored_name(key)) return false;
  std::error_code error;
  return std::filesystem::is_regular_file(path_of(key), error);
}

Result<BlobId> FsBlobStore::put(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > max_blob_bytes_) {
    return Error{ErrorKind::BlobTooLarge, "blob of " + std::to_string(bytes.size()) +
                                              " bytes is over the limit of " +
                                              std::to_string(max_blob_bytes_)};
  }
  return store(sha256_hex(bytes), bytes);
}

Result<BlobId> FsBlobStore::put_checked(std::string_view expected,
                                        std::span<const std::uint8_t> bytes) {
  const std::string key = lower(expected);
  if (!is_stored_name(key)) return Error{ErrorKind::InvalidId, "not a blob id"};
  if (bytes.size() > max_blob_bytes_) {
    return Error{ErrorKind::BlobTooLarge, "blob of " + std::to_string(bytes.size()) +
                                              " bytes is over the limit of " +
                                              std::to_string(max_blob_bytes_)};
  }
  const BlobId actual = sha256_hex(bytes);
  if (actual != key) return Error{ErrorKind::HashMismatch, "bytes do not match blob " + key};
  return store(actual, bytes);
}

Result<BlobId> FsBlobStore::store(const BlobId& id, std::span<const std::uint8_t> bytes) {
  const std::filesystem::path target = path_of(id);
  bool on_disk = false;
  {
    std::unique_lock lock(mutex_);
    // One writer per id: a second put of the same content waits and then finds it stored.
    writer_done_.wait(lock, [&] { return !writing_.contains(id); });
    if (auto error = take_stock_locked()) return *error;
    std::error_code stat_error;
    on_disk = std::filesystem::is_regular_file(target, stat_error);
    if (!on_disk) {
      if (auto stale = counted_.find(id); stale != counted_.end()) {
        // Removed behind our back: no longer held.
        blob_count_ -= 1;
        total_bytes_ -= std::min(total_bytes_, stale->second);
        counted_.erase(stale);
      }
      if (over_scan_limit_) {
        return Error{
            ErrorKind::ScanLimitReached,
            "blob directory holds more than " + std::to_string(max_scan_entries_) + " entries"};
      }
      if (std::uint64_t{blob_count_} + reserved_count_ + 1 > max_blob_count_) {
        return Error{ErrorKind::BlobCountReached,
                     "store holds its limit of " + std::to_string(max_blob_count_) + " blobs"};
      }
      if (total_bytes_ + reserved_bytes_ + bytes.size() > max_total_bytes_) {
        return Error{ErrorKind::TotalBytesReached, "store would pass its limit of " +
                                                       std::to_string(max_total_bytes_) + " bytes"};
      }
      reserved_count_ += 1;
      reserved_bytes_ += bytes.size();
    }
    writing_.insert(id);
  }

  std::optional<Error> failure;
  // Equal content is already there unless the file under this id was damaged; the rename
  // replaces a damaged one.
  if (!on_disk || !get(id).has_value()) {
    if (int error = make_private_dirs(root_)) {
      failure = io_error("cannot create blob directory", error);
    } else if (int error = write_file_atomically(unique_temp_name(root_, id), target, bytes)) {
      failure = io_error("cannot write blob", error);
    }
  }

  std::lock_guard lock(mutex_);
  writing_.erase(id);
  if (!on_disk) {
    reserved_count_ -= 1;
    reserved_bytes_ -= bytes.size();
  }
  // Also counts a file that another process put there since the root was counted.
  if (!failure) count_locked(id, bytes.size());
  writer_done_.notify_all();
  if (failure) return *failure;
  return id;
}

Result<std::uint64_t> FsBlobStore::evict_unreferenced(std::span<const BlobId> referenced) {
  std::unordered_set<std::string> keep;
  for (const BlobId& id : referenced) keep.insert(lower(id));

  std::unique_lock lock(mutex_);
  // Nothing half-written may be counted twice when the root is counted again below.
  writer_done_.wait(lock, [&] { return writing_.empty(); });
  std::uint64_t removed = 0;
  std::uint64_t entries = 0;
  std::error_code error;
  const auto now = std::filesystem::file_time_type::clock::now();
  std::filesystem::directory_iterator it(root_, error);
  if (error == std::errc::no_such_file_or_directory) return std::uint64_t{0};
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (++entries > max_scan_entries_) break;
    const std::string name = it->path().filename().string();
    std::error_code entry_error;
    if (is_stored_name(name)) {
      if (!keep.contains(name) && std::filesystem::remove(it->path(), entry_error)) ++removed;
    } else if (name.starts_with(kTempPrefix)) {
      const auto written = std::filesystem::last_write_time(it->path(), entry_error);
      if (!entry_error && now - written > kStaleTempAge) {
        std::filesystem::remove(it->path(), entry_error);
      }
    }
  }
  if (error) return Error{ErrorKind::Io, "cannot read blob directory: " + error.message()};
  scanned_ = false;
  if (auto stock_error = take_stock_locked()) return *stock_error;
  return removed;
}

}  // namespace vdoc::blobstore
