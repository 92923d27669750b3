#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "vdoc/blob_store.hpp"

namespace vdoc::blobstore {

// A blob store in one directory: each blob is the file <root>/<id>, written to a temporary file,
// flushed to disk and renamed into place, so a crash never leaves partial bytes under a valid id.
// get hashes what it reads and gives nothing when the bytes do not match their id.
//
// Limits:
// - max_blob_bytes: the largest blob put accepts (and the most bytes get reads for one blob);
// - max_total_bytes: the sum of the sizes of all stored blobs;
// - max_blob_count: how many blobs the store holds;
// - max_scan_entries: how many directory entries the store reads when it takes stock of its root
//   (blobs, temporary files left by a crash, anything else found there). A root with more entries
//   is treated as full: put refuses new content, get keeps working. This bounds the start-up scan
//   and keeps the limits above honest when the directory holds things the store did not count.
//
// A new store starts with nothing counted (no blobs, not scanned, no bytes) and counts its root on
// first use; from then on it keeps the count itself.
class FsBlobStore final : public BlobStore {
 public:
  FsBlobStore(std::filesystem::path root, std::uint64_t max_blob_bytes,
              std::uint64_t max_total_bytes, std::uint32_t max_blob_count,
              std::uint32_t max_scan_entries);

  // <user data directory>/vdoc/blobs; without a data directory a directory of this user under the
  // system's temporary directory.
  static std::filesystem::path default_root();

  std::optional<Bytes> get(std::string_view id) override;
  Result<BlobId> put(std::span<const std::uint8_t> bytes) override;
  Result<BlobId> put_checked(std::string_view expected,
                             std::span<const std::uint8_t> bytes) override;
  Result<std::uint64_t> evict_unreferenced(std::span<const BlobId> referenced) override;
  bool has(std::string_view id) override;

  const std::filesystem::path& root() const { return root_; }
  std::uint32_t blob_count() const;
  std::uint64_t total_bytes() const;

 private:
  Result<BlobId> store(const BlobId& id, std::span<const std::uint8_t> bytes);
  // Counts the root once; needs mutex_ held.
  std::optional<Error> take_stock_locked();
  // Records a stored blob (or its new size); needs mutex_ held.
  void count_locked(const BlobId& id, std::uint64_t size);
  std::filesystem::path path_of(std::string_view id) const;

  const std::filesystem::path root_;
  const std::uint64_t max_blob_bytes_;
  const std::uint64_t max_total_bytes_;
  const std::uint32_t max_blob_count_;
  const std::uint32_t max_scan_entries_;

  mutable std::mutex mutex_;
  std::condition_variable writer_done_;
  std::uint32_t blob_count_ = 0;
  bool scanned_ = false;
  std::uint64_t total_bytes_ = 0;
  bool over_scan_limit_ = false;
  // The size each blob was counted at, for the blobs this store has seen.
  std::map<BlobId, std::uint64_t> counted_;
  // Puts under way: their ids and the bytes and count they have reserved against the limits.
  std::set<BlobId> writing_;
  std::uint64_t reserved_bytes_ = 0;
  std::uint32_t reserved_count_ = 0;
};

}  // namespace vdoc::blobstore
