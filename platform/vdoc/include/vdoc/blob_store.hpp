#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// Content-addressed storage of attachment bytes, shared by the whole process.
namespace vdoc::blobstore {

using Bytes = std::vector<std::uint8_t>;

// The SHA-256 of a blob's bytes as 64 lower-case hexadecimal digits.
using BlobId = std::string;

enum class ErrorKind {
  NoStore,            // no process-wide store installed
  InvalidId,          // not 64 hexadecimal digits
  BlobTooLarge,       // one blob over the store's size limit
  TotalBytesReached,  // storing it would pass the store's total-bytes limit
  BlobCountReached,   // the store already holds as many blobs as it may
  ScanLimitReached,   // the store's directory holds more entries than it will read
  HashMismatch,       // the bytes do not hash to the id they were offered under
  Io,                 // the file system refused
};

struct Error {
  ErrorKind kind;
  std::string message;
};

template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}      // NOLINT: implicit like a plain return value
  Result(Error error) : value_(std::move(error)) {}  // NOLINT

  bool ok() const { return value_.index() == 0; }
  explicit operator bool() const { return ok(); }
  const T& value() const { return std::get<0>(value_); }
  const Error& error() const { return std::get<1>(value_); }

 private:
  std::variant<T, Error> value_;
};

// Availability of a blob as the window shows it on an image placeholder.
enum class BlobState : std::uint8_t {
  Available = 0,    // stored here; the image can be decoded
  Loading = 1,      // known but still arriving from elsewhere (never given by a local store)
  Unavailable = 2,  // not stored, or not a blob id at all
};

// The operations every store offers. Implementations synchronise themselves: the main thread,
// attachment workers and the image loader call them concurrently.
class BlobStore {
 public:
  virtual ~BlobStore() = default;

  // The blob's bytes when stored and intact; none otherwise (also for a malformed id).
  virtual std::optional<Bytes> get(std::string_view id) = 0;
  // Stores the bytes (once: equal content gives the same id) and gives their id.
  virtual Result<BlobId> put(std::span<const std::uint8_t> bytes) = 0;
  // As put, but refuses bytes that do not hash to `expected`.
  virtual Result<BlobId> put_checked(std::string_view expected,
                                     std::span<const std::uint8_t> bytes) = 0;
  // Removes every stored blob whose id is not in `referenced`; gives how many were removed.
  // A blob put but not yet referenced must be listed too, or it goes.
  virtual Result<std::uint64_t> evict_unreferenced(std::span<const BlobId> referenced) = 0;
  virtual bool has(std::string_view id) = 0;
};

// Installs the process-wide store that put, get and state use (replacing an earlier one).
void set_store(std::shared_ptr<BlobStore> store);
// The installed store, or null.
std::shared_ptr<BlobStore> current_store();

// The process-wide store's operations; without a store put refuses and get finds nothing.
Result<BlobId> put(std::span<const std::uint8_t> bytes);
std::optional<Bytes> get(std::string_view id);
BlobState state(std::string_view id);

struct ImageSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool operator==(const ImageSize&) const = default;
};

// Width and height of a PNG, JPEG, GIF or WebP image; 0 x 0 for anything else, including a
// damaged image whose size cannot be read.
ImageSize sniff(std::span<const std::uint8_t> bytes);

// True for exactly 64 hexadecimal digits (either case).
bool is_blob_id(std::string_view id);

}  // namespace vdoc::blobstore
