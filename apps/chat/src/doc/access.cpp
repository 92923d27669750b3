#include "doc/access.hpp"

#include <cmath>
#include <limits>
#include <type_traits>
#include <variant>

#include "fatal.hpp"

namespace chat::doc {

namespace {

std::optional<crdt::ObjId> object_of_type(const crdt::Document& doc, const crdt::ObjId& obj,
                                          std::string_view key, crdt::ObjType type) {
  auto found = doc.get(obj, key);
  if (!found || found->first.object_type() != type) return std::nullopt;
  return found->second;
}

crdt::ObjId ensure_object(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key,
                          crdt::ObjType type, std::string_view stop_text) {
  if (auto existing = object_of_type(doc, parent, key, type)) return *existing;
  return put_object_or_stop(doc, parent, key, type, stop_text);
}

std::int64_t saturating_from_double(double value) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (std::isnan(value)) return 0;
  if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);  // truncates toward zero
}

bool is_hex(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool is_alnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

template <class Allowed>
bool has_byte_outside(std::string_view text, Allowed allowed) {
  for (char c : text) {
    if (!allowed(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

}  // namespace

std::optional<std::pair<crdt::ScalarValue, crdt::ObjId>> doc_get(const crdt::Document& doc,
                                                                 const crdt::ObjId& obj,
                                                                 std::string_view key) {
  auto found = doc.get(obj, key);
  if (!found) return std::nullopt;
  const crdt::ScalarValue* scalar = found->first.scalar();
  if (!scalar) return std::nullopt;
  return std::make_pair(*scalar, found->second);
}

std::optional<std::int64_t> scalar_as_i64(const crdt::ScalarValue& value) {
  return std::visit(
      [](const auto& v) -> std::optional<std::int64_t> {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int64_t>) {
          return v;
        } else if constexpr (std::is_same_v<T, std::uint64_t>) {
          return static_cast<std::int64_t>(v);  // the same 64 bits
        } else if constexpr (std::is_same_v<T, double>) {
          return saturating_from_double(v);
        } else if constexpr (std::is_same_v<T, crdt::Counter>) {
          return v.value;
        } else if constexpr (std::is_same_v<T, crdt::Timestamp>) {
          return v.millis;
        } else {
          return std::nullopt;
        }
      },
      value.content);
}

std::optional<std::int64_t> doc_get_i64(const crdt::Document& doc, const crdt::ObjId& obj,
                                        std::string_view key) {
  auto found = doc.get(obj, key);
  if (!found) return std::nullopt;
  const crdt::ScalarValue* scalar = found->first.scalar();
  if (!scalar) return std::nullopt;
  return scalar_as_i64(*scalar);
}

std::optional<std::string> doc_get_string(const crdt::Document& doc, const crdt::ObjId& obj,
                                          std::string_view key) {
  auto found = doc.get(obj, key);
  if (!found) return std::nullopt;
  const crdt::ScalarValue* scalar = found->first.scalar();
  if (!scalar) return std::nullopt;
  if (auto* text = std::get_if<std::string>(&scalar->content)) return std::move(*text);
  return std::nullopt;
}

std::optional<bool> doc_get_bool(const crdt::Document& doc, const crdt::ObjId& obj,
                                 std::string_view key) {
  auto found = doc.get(obj, key);
  if (!found) return std::nullopt;
  const crdt::ScalarValue* scalar = found->first.scalar();
  if (!scalar) return std::nullopt;
  if (auto* flag = std::get_if<bool>(&scalar->content)) return *flag;
  return std::nullopt;
}

std::optional<std::string> doc_get_text(const crdt::Document& doc, const crdt::ObjId& obj,
                                        std::string_view key) {
  auto text_obj = object_of_type(doc, obj, key, crdt::ObjType::Text);
  if (!text_obj) return std::nullopt;
  return doc.text(*text_obj);
}

std::optional<crdt::ObjId> get_map(const crdt::Document& doc, const crdt::ObjId& obj,
                                   std::string_view key) {
  return object_of_type(doc, obj, key, crdt::ObjType::Map);
}

std::optional<crdt::ObjId> get_list(const crdt::Document& doc, const crdt::ObjId& obj,
                                    std::string_view key) {
  return object_of_type(doc, obj, key, crdt::ObjType::List);
}

std::string string_or_empty(const crdt::Document& doc, const crdt::ObjId& obj,
                            std::string_view key) {
  return doc_get_string(doc, obj, key).value_or(std::string());
}

std::int64_t i64_or_zero(const crdt::Document& doc, const crdt::ObjId& obj, std::string_view key) {
  return doc_get_i64(doc, obj, key).value_or(0);
}

bool bool_or_false(const crdt::Document& doc, const crdt::ObjId& obj, std::string_view key) {
  return doc_get_bool(doc, obj, key).value_or(false);
}

crdt::ObjId put_object_or_stop(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key,
                               crdt::ObjType type, std::string_view stop_text) {
  auto made = doc.put_object(parent, key, type);
  if (!made) fatal(stop_text);
  return *made;
}

crdt::ObjId append_object_or_stop(crdt::Document& doc, const crdt::ObjId& list, crdt::ObjType type,
                                  std::string_view stop_text) {
  auto made = doc.insert_object(list, doc.length(list), type);
  if (!made) fatal(stop_text);
  return *made;
}

crdt::ObjId ensure_map(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key) {
  return ensure_object(doc, parent, key, crdt::ObjType::Map, "put map");
}

crdt::ObjId ensure_list(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key) {
  return ensure_object(doc, parent, key, crdt::ObjType::List, "put list");
}

crdt::ObjId ensure_text(crdt::Document& doc, const crdt::ObjId& parent, std::string_view key) {
  return ensure_object(doc, parent, key, crdt::ObjType::Text, "put text");
}

bool has_non_hex_digit(std::string_view text) {
  return has_byte_outside(text, is_hex);
}

bool has_non_id_char(std::string_view text) {
  return has_byte_outside(text,
                          [](unsigned char c) { return is_alnum(c) || c == '_' || c == '-'; });
}

bool has_non_token_char(std::string_view text) {
  return has_byte_outside(text, [](unsigned char c) {
    return is_alnum(c) || c == '-' || c == '.' || c == ':' || c == '_';
  });
}

bool has_non_digit(std::string_view text) {
  return has_byte_outside(text, [](unsigned char c) { return c >= '0' && c <= '9'; });
}

bool is_hex_id(std::string_view text) {
  return text.size() == 64 && !has_non_hex_digit(text);
}

bool valid_display_name(std::string_view text) {
  if (text.empty() || text.size() > 255) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;
    // U+0080..U+009F are encoded as C2 80..C2 9F.
    if (c == 0xC2 && i + 1 < text.size()) {
      auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x80 && next <= 0x9F) return false;
    }
  }
  return true;
}

bool is_legacy_step_key(std::string_view text) {
  return text.size() == 8 && !has_non_digit(text);
}

LegacyStepKeys legacy_step_keys(const crdt::Document& doc, const crdt::ObjId& map) {
  return LegacyStepKeys(doc.keys(map));
}

}  // namespace chat::doc
