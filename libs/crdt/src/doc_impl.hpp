// The inside of a Document: actors, objects, history and the open transaction.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "byte_io.hpp"
#include "change_codec.hpp"
#include "crdt/document.hpp"
#include "hash_index.hpp"
#include "id_index.hpp"
#include "objects.hpp"
#include "ops.hpp"

namespace crdt {

namespace detail {

struct ActorIdHash {
  std::size_t operator()(const ActorId& a) const {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : a.bytes()) h = (h ^ b) * 1099511628211ull;
    return static_cast<std::size_t>(h);
  }
};

struct ChangeHashHash {
  std::size_t operator()(const ChangeHash& h) const {
    std::size_t v;
    std::memcpy(&v, h.bytes.data(), sizeof v);
    return v;
  }
};

// Appends the UTF-8 form of a code point.
void append_utf8(std::string& out, char32_t cp);
// Decodes valid UTF-8 into code points; false on anything invalid.
bool decode_utf8(std::string_view text, std::vector<char32_t>& out);

}  // namespace detail

class Document::Impl {
 public:
  using OpId = detail::OpId;
  using Object = detail::Object;

  explicit Impl(ActorId actor);

  // ---- actors
  std::uint32_t intern_actor(const ActorId& actor);
  std::optional<std::uint32_t> find_actor(const ActorId& actor) const;
  detail::OpOrder order() const { return {&actors_}; }
  const std::vector<ActorId>& actors() const { return actors_; }
  std::uint32_t self() const { return self_; }
  // Kept apart from the actor table, which grows: the reference stays valid until set_actor.
  const ActorId& self_actor() const { return self_actor_; }
  Status set_actor(ActorId actor);

  // ---- objects
  Object* find_object(const ObjId& id) const;
  Object* object_at(OpId id) const;
  // A reader that was handed an object id nearly always reads that object next.
  void remember_object(const ObjId& id, OpId op) const;
  Object* create_object(OpId id, ObjType type);
  ObjId public_id(OpId id) const;
  Object& root() { return objects_.front(); }
  const Object& root() const { return objects_.front(); }

  // ---- reads
  std::optional<ValueAndId> read(const detail::ValueOp& op) const;
  std::optional<ValueAndId> read_elem(const Object& seq, detail::SeqTree::Cursor at) const;
  void read_all(const detail::Conflicts& values, std::vector<ValueAndId>& out) const;
  // The text's content, kept with it: valid until the text next changes.
  const std::string& spelled_text(const Object& text) const;
  std::string spell_text(const Object& text) const;  // spelled anew, not kept

  // ---- local writes: every new op goes through here
  OpId next_op_id();
  detail::ChangeBuilder& txn() { return txn_; }
  std::vector<std::uint8_t>& scratch() { return scratch_; }
  std::optional<ChangeHash> commit(std::string message, std::optional<std::int64_t> time);
  std::size_t pending_ops() const { return txn_open_ ? txn_.op_count() : 0; }

  // ---- history and replication
  std::vector<ChangeHash> heads() const;
  std::vector<Change> changes_since(std::span<const ChangeHash> since) const;
  std::optional<Change> change_by_hash(const ChangeHash& hash) const;
  Status apply_changes(std::span<const Change> changes);
  std::vector<ChangeHash> missing_deps() const;
  const std::vector<Change>& history() const { return history_; }

  // ---- persistence
  std::vector<std::uint8_t> save();
  std::vector<std::uint8_t> save_incremental();
  Status load_chunks(std::span<const std::uint8_t> bytes);
  // Everything held now is in a file: the next save_incremental starts from here.
  void mark_saved();
  // The live state (objects and their values) without history; decode expects a document
  // that has its history but no objects yet.
  // Saved ids number actors by the actor table; decoding it maps those numbers to ours.
  void encode_actors(std::vector<std::uint8_t>& out) const;
  Result<std::vector<std::uint32_t>> decode_actors(detail::ByteReader& r);
  void encode_objects(std::vector<std::uint8_t>& out) const;
  Status decode_objects(detail::ByteReader& r, const std::vector<std::uint32_t>& actor_map);
  // Shares the history and copies the state into `other`, a new empty document.
  void copy_into(Impl& other) const;

 private:
  enum class Ready { Applied, Duplicate, Waiting };
  // With `apply_ops` false the change only joins the history (its effect comes from a
  // saved state).
  Result<Ready> try_apply(const Change& change, bool apply_ops = true);
  void drain_waiting(Status& status);
  Status check_sequence(const detail::ChangeData& data, std::uint32_t actor) const;
  void record(const Change& change, std::uint32_t actor);
  void apply_ops(const detail::ChangeData& data);
  void apply_op(detail::DecodedOp& op);
  void apply_map_op(Object& obj, detail::DecodedOp& op);
  void apply_seq_op(Object& obj, detail::DecodedOp& op);
  void apply_to_values(detail::Conflicts& values, detail::DecodedOp& op);
  Status load_document_chunk(std::span<const std::uint8_t> body);
  void encode_history(std::vector<std::uint8_t>& out) const;
  Result<std::vector<Change>> decode_history(detail::ByteReader& r,
                                             const std::vector<std::uint32_t>& actor_map);

  std::vector<ActorId> actors_;
  std::unordered_map<ActorId, std::uint32_t, detail::ActorIdHash> actor_index_;
  std::uint32_t self_ = 0;
  ActorId self_actor_;

  // [0] is the root. A deque: objects never move, and walking them in order of creation
  // (as saving does) reads memory in order.
  std::deque<Object> objects_;
  detail::IdIndex<Object*> object_index_;  // the root is not in it
  // Readers look up the same few objects again and again (a message map, then its
  // lists): a direct-mapped cache by counter spares hashing the actor bytes each time.
  // Objects never move or go away, so only a re-created id needs its slot cleared.
  struct CachedObject {
    std::uint64_t counter = 0;  // 0: empty
    ActorId actor;
    Object* object = nullptr;
  };
  static constexpr std::size_t kObjectCacheSize = 64;
  mutable std::array<CachedObject, kObjectCacheSize> object_cache_{};
  std::uint64_t max_op_ = 0;

  std::vector<Change> history_;  // causal order
  std::vector<std::vector<std::uint32_t>> history_deps_;
  detail::HashIndex by_hash_;
  std::vector<std::uint32_t> heads_;
  std::vector<std::vector<std::uint32_t>> by_actor_;  // history indices in seq order
  std::vector<Change> waiting_;
  std::size_t saved_count_ = 0;
  std::vector<ChangeHash> saved_waiting_;  // waiting changes already written by a save

  detail::ChangeBuilder txn_;
  bool txn_open_ = false;
  std::uint64_t txn_start_ = 0;
  std::vector<std::uint8_t> scratch_;
};

}  // namespace crdt
