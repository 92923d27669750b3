#include "crdt/change.hpp"

#include "change_codec.hpp"

namespace crdt {

Result<Change> Change::from_bytes(std::span<const std::uint8_t> bytes) {
  auto data = detail::parse_change(bytes);
  if (!data) return data.error();
  if ((*data)->bytes.size() != bytes.size()) {
    return Error{ErrorCode::Malformed, "bytes after the change chunk"};
  }
  return Change(std::move(*data));
}

const ChangeHash& Change::hash() const {
  return data_->hash;
}
const ActorId& Change::actor() const {
  return data_->actors.front();
}
std::uint64_t Change::seq() const {
  return data_->seq;
}
std::uint64_t Change::start_op() const {
  return data_->start_op;
}
std::size_t Change::op_count() const {
  return static_cast<std::size_t>(data_->op_count);
}
const std::vector<ChangeHash>& Change::deps() const {
  return data_->deps;
}
std::int64_t Change::time() const {
  return data_->time;
}
const std::string& Change::message() const {
  return data_->message;
}
std::span<const std::uint8_t> Change::bytes() const {
  return data_->bytes;
}

}  // namespace crdt
