// One committed change: the unit of replication and of history.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "crdt/types.hpp"

namespace crdt {

namespace detail {
struct ChangeData;
}

// Immutable and cheap to copy (shared). Its bytes are the canonical encoding that the hash
// is taken over; send them to another replica and rebuild with from_bytes.
class Change {
 public:
  // Checks magic, checksum and structure; the hash is computed from the bytes.
  static Result<Change> from_bytes(std::span<const std::uint8_t> bytes);

  const ChangeHash& hash() const;
  const ActorId& actor() const;
  std::uint64_t seq() const;       // 1 for an actor's first change
  std::uint64_t start_op() const;  // counter of the change's first operation
  std::size_t op_count() const;
  // The heads of the document the change was made on, sorted.
  const std::vector<ChangeHash>& deps() const;
  std::int64_t time() const;  // seconds since the Unix epoch, as given at commit
  const std::string& message() const;
  std::span<const std::uint8_t> bytes() const;

  // Internal: changes are made by Document.
  explicit Change(std::shared_ptr<const detail::ChangeData> data) : data_(std::move(data)) {}
  const detail::ChangeData& data() const { return *data_; }

 private:
  std::shared_ptr<const detail::ChangeData> data_;
};

}  // namespace crdt
