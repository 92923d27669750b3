// The replicated document: a root map holding maps, lists, text objects and scalars.
//
// Writes collect into a pending change that is committed at the next heads read, save,
// merge, fork, get_changes or explicit commit. Text positions and lengths count Unicode
// scalar values (code points), not bytes. A document is not thread-safe,
// not even for reads alone: they keep lookup caches inside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "crdt/change.hpp"
#include "crdt/types.hpp"

namespace crdt {

namespace detail {
class MapObject;
struct Object;
struct ValueOp;
// The first entry at or after `from` that holds a visible value (or the entry count).
std::size_t map_next_visible(const MapObject* map, std::size_t from);
std::string_view map_key_at(const MapObject* map, std::size_t index);
}  // namespace detail

// The keys of a map that hold a value, in bytewise order, produced lazily. The range and its
// keys are valid until the document is next changed.
class KeyRange {
 public:
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    iterator() = default;
    iterator(const detail::MapObject* map, std::size_t index) : map_(map), index_(index) {}
    std::string_view operator*() const { return detail::map_key_at(map_, index_); }
    iterator& operator++() {
      index_ = detail::map_next_visible(map_, index_ + 1);
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& other) const { return index_ == other.index_; }

   private:
    const detail::MapObject* map_ = nullptr;
    std::size_t index_ = 0;
  };

  KeyRange() = default;  // empty
  KeyRange(const detail::MapObject* map, std::size_t end) : map_(map), end_(end) {}
  iterator begin() const {
    return map_ ? iterator(map_, detail::map_next_visible(map_, 0)) : iterator();
  }
  iterator end() const { return iterator(map_, end_); }

 private:
  const detail::MapObject* map_ = nullptr;
  std::size_t end_ = 0;
};

using ValueAndId = std::pair<Value, ObjId>;

// How a visit over a list reads ahead. Records: the elements are objects read whole (a
// conversation's messages, say), so the next few are fetched from memory while one is
// visited. It pays off only when the visit reads most of each element.
enum class ReadAhead : std::uint8_t { None, Records };

class Document;

// A value met by for_each_entry or for_each_element: a scalar read in place, not copied, or
// an object, which the same visits and text() read directly, without an id lookup. Valid
// only during the call that received it.
class ValueView {
 public:
  bool is_object() const { return scalar_ == nullptr; }
  bool is_scalar() const { return scalar_ != nullptr; }
  const ScalarValue* scalar() const { return scalar_; }
  std::optional<ObjType> object_type() const {
    if (scalar_) return std::nullopt;
    return type_;
  }
  // What get returns beside the value: the object's own id for an object, else the op's id.
  ObjId id() const;
  // A copy, as get returns it.
  Value value() const { return scalar_ ? Value(*scalar_) : Value(type_); }

 private:
  friend class Document;
  ValueView(const Document* doc, const ScalarValue* scalar, const detail::Object* object,
            ObjType type, std::uint64_t counter, std::uint32_t actor)
      : doc_(doc),
        scalar_(scalar),
        object_(object),
        type_(type),
        counter_(counter),
        actor_(actor) {}

  const Document* doc_;
  const ScalarValue* scalar_;
  const detail::Object* object_;  // null for a scalar
  ObjType type_;
  std::uint64_t counter_;
  std::uint32_t actor_;
};

class Document {
 public:
  // With a random actor id.
  Document();
  explicit Document(ActorId actor);
  ~Document();
  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  Document(const Document&) = delete;  // fork() copies
  Document& operator=(const Document&) = delete;

  // ---- Reads. None / empty when the object is missing or of another kind.

  // The winning value under a map key, or at a list/text index (a text element reads as a
  // one-character string). The id is the object's own id for an object, else the op's id.
  std::optional<ValueAndId> get(const ObjId& obj, std::string_view key) const;
  std::optional<ValueAndId> get(const ObjId& obj, std::size_t index) const;
  // Every concurrent value, winner last.
  std::vector<ValueAndId> get_all(const ObjId& obj, std::string_view key) const;
  std::vector<ValueAndId> get_all(const ObjId& obj, std::size_t index) const;
  KeyRange keys(const ObjId& map) const;
  // Keys with a value (map), elements (list), code points (text); 0 for a missing object.
  std::size_t length(const ObjId& obj) const;
  // UTF-8 content of a text object.
  std::optional<std::string> text(const ObjId& obj) const;
  std::optional<ObjType> object_type(const ObjId& obj) const;

  // One pass over an object, for readers that want most of it: cheaper than a get per key
  // or index. The visit may read this document but must not change it.
  // visit(std::string_view key, const ValueView&) for each key holding a value, in key
  // order (the winning value, as get gives); nothing for a missing object or a non-map.
  template <class Visit>
  void for_each_entry(const ObjId& map, Visit&& visit) const {
    visit_entries(find(map), entry_visitor(visit));
  }
  // visit(std::size_t index, const ValueView&) for each element of a list, or code point
  // of a text (as a one-character string), in order; nothing for a missing object or a map.
  template <class Visit>
  void for_each_element(const ObjId& seq, Visit&& visit,
                        ReadAhead ahead = ReadAhead::None) const {
    visit_elements(find(seq), element_visitor(visit), ahead);
  }
  // The same visits of an object met by a visit (nothing for a scalar), and its text.
  template <class Visit>
  void for_each_entry(const ValueView& map, Visit&& visit) const {
    visit_entries(map.object_, entry_visitor(visit));
  }
  template <class Visit>
  void for_each_element(const ValueView& seq, Visit&& visit,
                        ReadAhead ahead = ReadAhead::None) const {
    visit_elements(seq.object_, element_visitor(visit), ahead);
  }
  std::optional<std::string> text(const ValueView& text) const;
  // The same text assigned into `out`, whose storage is reused; false (and `out` untouched)
  // when the view is not a text.
  bool copy_text(const ValueView& text, std::string& out) const;
  std::size_t length(const ValueView& obj) const;
  // The winning value under a key of a map met by a visit, in place (valid as long as the
  // view it came from); none when absent or not a map.
  std::optional<ValueView> lookup(const ValueView& map, std::string_view key) const;

  // ---- Writes. They fail (and change nothing) on a missing object, a wrong kind or a
  // position beyond the end; they never throw for such input.

  Status put(const ObjId& map, std::string_view key, ScalarValue value);
  Status put(const ObjId& list, std::size_t index, ScalarValue value);
  // A new empty object under the key, replacing whatever was there.
  Result<ObjId> put_object(const ObjId& map, std::string_view key, ObjType type);
  Result<ObjId> put_object(const ObjId& list, std::size_t index, ObjType type);
  // Insert before `index`; index == length appends.
  Status insert(const ObjId& list, std::size_t index, ScalarValue value);
  Result<ObjId> insert_object(const ObjId& list, std::size_t index, ObjType type);
  Status remove(const ObjId& map, std::string_view key);  // absent key: no-op success
  Status remove(const ObjId& seq, std::size_t index);     // list element or text character
  // Delete `del` code points at `pos`, then insert `inserted` there.
  Status splice_text(const ObjId& text_obj, std::size_t pos, std::size_t del,
                     std::string_view inserted);
  // Add to a counter (the value must be a Counter).
  Status increment(const ObjId& map, std::string_view key, std::int64_t by);
  Status increment(const ObjId& list, std::size_t index, std::int64_t by);

  // ---- Changes and heads.

  // Turns pending writes into a change; none when nothing is pending. Without `time`,
  // the current wall-clock second is used.
  std::optional<ChangeHash> commit(std::string message = {},
                                   std::optional<std::int64_t> time = std::nullopt);
  std::size_t pending_ops() const;
  std::vector<ChangeHash> get_heads();  // sorted
  // Valid until set_actor or load_incremental.
  const ActorId& get_actor() const;
  // Commits pending writes first.
  Status set_actor(ActorId actor);

  // ---- Replication.

  // Changes not reachable from `since` (every change when empty), in causal order.
  std::vector<Change> get_changes(std::span<const ChangeHash> since);
  std::optional<Change> get_change(const ChangeHash& hash) const;
  // Applies what can be applied; a change whose dependencies are missing waits until they
  // arrive. Duplicates are ignored. Fails only on a change that contradicts the history
  // (e.g. an actor's sequence number reused with another hash); the rest still apply.
  Status apply_changes(std::span<const Change> changes);
  // Dependencies of waiting changes that this document does not have.
  std::vector<ChangeHash> missing_deps() const;
  // Takes every change of `other` (commits both sides first).
  Status merge(Document& other);
  // An independent copy with a new random actor.
  Document fork();

  // ---- Persistence.

  // The whole document: a header (magic, version) and checksummed chunks.
  Bytes save();
  // Only what changed since the previous save/save_incremental, as chunks to append to a
  // file that holds a save; empty when nothing changed.
  Bytes save_incremental();
  // A save followed by any number of incremental chunks (empty input: an empty document).
  // Every checksum and hash is verified; on error, Error::chunk_index/chunk_offset say
  // which chunk failed.
  static Result<Document> load(std::span<const std::uint8_t> bytes);
  // Appends chunks (incremental ones or a whole save) to this document. What they bring
  // counts as unsaved: the next save_incremental writes it too.
  Status load_incremental(std::span<const std::uint8_t> bytes);

  class Impl;

 private:
  friend class ValueView;
  template <class Key>
  struct Visitor {
    void* context;
    void (*call)(void* context, Key key, const ValueView& value);
  };
  template <class F>
  static void* as_context(F& f) {
    return const_cast<void*>(static_cast<const void*>(std::addressof(f)));
  }
  template <class Visit>
  static Visitor<std::string_view> entry_visitor(Visit& visit) {
    return {as_context(visit), [](void* f, std::string_view key, const ValueView& v) {
              (*static_cast<std::remove_reference_t<Visit>*>(f))(key, v);
            }};
  }
  template <class Visit>
  static Visitor<std::size_t> element_visitor(Visit& visit) {
    return {as_context(visit), [](void* f, std::size_t index, const ValueView& v) {
              (*static_cast<std::remove_reference_t<Visit>*>(f))(index, v);
            }};
  }
  const detail::Object* find(const ObjId& obj) const;
  std::optional<std::string> text_of_object(const detail::Object* text) const;
  ValueView view_of(const detail::ValueOp& op) const;
  // Both do nothing for a null object or one of the other kind.
  void visit_entries(const detail::Object* map, Visitor<std::string_view> visit) const;
  void visit_elements(const detail::Object* seq, Visitor<std::size_t> visit,
                      ReadAhead ahead) const;

  explicit Document(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace crdt
