#pragma once
// Typed reads of single document values, creators of child objects and the byte-class checks
// that guard ids. Every reader and writer of the chat document goes through these.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "crdt/document.hpp"

namespace chat::doc {

// ---- Single-value readers. They never write and never fail: a failed read is an absent key.

// The scalar under the key with its op id; none for an absent key or an object.
std::optional<std::pair<crdt::ScalarValue, crdt::ObjId>> doc_get(const crdt::Document& doc,
                                                                 const crdt::ObjId& obj,
                                                                 std::string_view key);
// Any numeric scalar coerced to a signed 64-bit integer; none for every other kind.
std::optional<std::int64_t> doc_get_i64(const crdt::Document& doc, const crdt::ObjId& obj,
                                        std::string_view key);
std::optional<std::string> doc_get_string(const crdt::Document& doc, const crdt::ObjId& obj,
                                          std::string_view key);
std::optional<bool> doc_get_bool(const crdt::Document& doc, const crdt::ObjId& obj,
                                 std::string_view key);
// The content of a text object; none for a scalar string and every other kind.
std::optional<std::string> doc_get_text(const crdt::Document& doc, const crdt::ObjId& obj,
                                        std::string_view key);
std::optional<crdt::ObjId> get_map(const crdt::Document& doc, const crdt::ObjId& obj,
                                   std::string_view key);
std::optional<crdt::ObjId> get_list(const crdt::Document& doc, const crdt::ObjId& obj,
                                    std::string_view key);

// The numeric coercion of doc_get_i64 applied to one scalar.
std::optional<std::int64_t> scalar_as_i64(const crdt::ScalarValue& value);

// Shorthands with the readers' defaults (empty, 0, false).
std::string string_or_empty(const crdt::Document& doc, const crdt::ObjId& obj,
                            std::string_view key);
std::int64_t i64_or_zero(const crdt::Document& doc, const crdt::ObjId& obj, std::string_view key);
bool bool_or_false(const crdt::Document& doc, const crdt::ObjId& obj, std::string_view key);

// ---- Creators: the child object of the wanted kind, replacing a value of any other kind.
// A document open for writing cannot refuse; if it does, the program stops.

crdt::ObjId ensure_map(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key);
crdt::ObjId ensure_list(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key);
crdt::ObjId ensure_text(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key);

// A new object under a map key or appended to a list; stops with `stop_text` on failure.
crdt::ObjId put_object_or_stop(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key,
                               crdt::ObjType type, std::string_view stop_text);
crdt::ObjId append_object_or_stop(crdt::Document& doc, const crdt::ObjId& list, crdt::ObjType type,
                                  std::string_view stop_text);

// ---- Byte-class predicates: true when some byte lies outside the class; false for "".

bool has_non_hex_digit(std::string_view text);
bool has_non_id_char(std::string_view text);
bool has_non_token_char(std::string_view text);
bool has_non_digit(std::string_view text);

// Exactly 64 hexadecimal digits (blob ids).
bool is_hex_id(std::string_view text);
// 1 to 255 bytes without C0 or C1 control characters.
bool valid_display_name(std::string_view text);
// Exactly eight decimal digits: the step keys of the older agent-work layout.
bool is_legacy_step_key(std::string_view text);

// The keys of a map that pass is_legacy_step_key, in key order, filtered as they are asked for.
// Valid until the document next changes.
class LegacyStepKeys {
 public:
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    iterator() = default;
    iterator(crdt::KeyRange::iterator at, crdt::KeyRange::iterator end) : at_(at), end_(end) {
      skip();
    }
    std::string_view operator*() const { return *at_; }
    iterator& operator++() {
      ++at_;
      skip();
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& other) const { return at_ == other.at_; }

   private:
    void skip() {
      while (!(at_ == end_) && !is_legacy_step_key(*at_)) ++at_;
    }
    crdt::KeyRange::iterator at_;
    crdt::KeyRange::iterator end_;
  };

  explicit LegacyStepKeys(crdt::KeyRange keys) : keys_(keys) {}
  iterator begin() const { return iterator(keys_.begin(), keys_.end()); }
  iterator end() const { return iterator(keys_.end(), keys_.end()); }

 private:
  crdt::KeyRange keys_;
};

LegacyStepKeys legacy_step_keys(const crdt::Document& doc, const crdt::ObjId& map);

}  // namespace chat::doc
