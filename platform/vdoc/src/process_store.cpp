#include <mutex>

#include "vdoc/blob_store.hpp"

namespace vdoc::blobstore {
namespace {

// The one process-wide store: installed once at start, read from any thread.
struct ProcessStore {
  std::mutex mutex;
  std::shared_ptr<BlobStore> store;
};

ProcessStore& process_store() {
  static ProcessStore instance;
  return instance;
}

}  // namespace

void set_store(std::shared_ptr<BlobStore> store) {
  ProcessStore& process = process_store();
  std::lock_guard lock(process.mutex);
  process.store = std::move(store);
}

std::shared_ptr<BlobStore> current_store() {
  ProcessStore& process = process_store();
  std::lock_guard lock(process.mutex);
  return process.store;
}

Result<BlobId> put(std::span<const std::uint8_t> bytes) {
  const std::shared_ptr<BlobStore> store = current_store();
  if (!store) return Error{ErrorKind::NoStore, "no blob store installed"};
  return store->put(bytes);
}

std::optional<Bytes> get(std::string_view id) {
  const std::shared_ptr<BlobStore> store = current_store();
  if (!store) return std::nullopt;
  return store->get(id);
}

BlobState state(std::string_view id) {
  const std::shared_ptr<BlobStore> store = current_store();
  if (!store || !is_blob_id(id) || !store->has(id)) return BlobState::Unavailable;
  return BlobState::Available;
}

}  // namespace vdoc::blobstore
