#pragma once

// Tagged unions over a std::variant member, and enumerations without fields.
//
// Externally tagged: {"Variant":{...fields...}} (or the fields as an array).
// Internally tagged: {"tag":"text",...fields...} (or ["text", ...fields...]).
// Unit enumerations: "Variant" (or {"Variant":null}).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>

#include "json/record.hpp"

namespace json {
namespace detail {

template <class Tuple, class F, std::size_t... I>
bool visit_index(const Tuple& tuple, std::size_t index, F&& f, std::index_sequence<I...>) {
  bool ok = false;
  (void)((index == I ? (ok = f(std::get<I>(tuple), std::integral_constant<std::size_t, I>{}), true)
                     : false) ||
         ...);
  return ok;
}

// Calls f(element, index constant) for the tuple element at a run-time index.
template <class Tuple, class F>
bool visit_index(const Tuple& tuple, std::size_t index, F&& f) {
  return visit_index(tuple, index, std::forward<F>(f),
                     std::make_index_sequence<std::tuple_size_v<Tuple>>{});
}

template <std::size_t N>
std::size_t find_name(const std::array<std::string_view, N>& names, std::string_view key) {
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i] == key) return i;
  }
  return N;
}

// The closing brace of an object that holds one variant.
inline bool close_single_member(Reader& reader) {
  const int c = reader.peek();
  if (c == '}') {
    reader.bump();
    reader.leave();
    return true;
  }
  if (c == -1) return reader.fail(ErrorKind::EofWhileParsingObject);
  return reader.fail(ErrorKind::ExpectedValue);
}

// The key of an object that holds one variant: its index among names, or the failure.
template <std::size_t N>
bool open_single_member(Reader& reader, const std::array<std::string_view, N>& names,
                        std::size_t& index) {
  if (!reader.enter()) return false;
  const int c = reader.peek();
  if (c == -1) return reader.fail(ErrorKind::EofWhileParsingObject);
  if (c == '}') return reader.fail(ErrorKind::ExpectedValue);
  if (c != '"') return reader.fail(ErrorKind::KeyMustBeAString);
  const std::size_t at = reader.offset();
  std::string_view key;
  if (!reader.read_string(key)) return false;
  index = find_name(names, key);
  if (index == N) {
    return reader.fail_at(at, ErrorKind::UnknownVariant, message::unknown_variant(key, names));
  }
  return reader.colon();
}

}  // namespace detail

// A union whose variants all carry fields, written as an object with one member named
// after the variant.
template <class U, class Variant, class... Records>
struct ExternalUnion {
  static constexpr std::size_t kSize = sizeof...(Records);
  static_assert(std::variant_size_v<Variant> == kSize);

  std::string_view name;
  Variant U::*member;
  std::tuple<Records...> variants;
  std::array<std::string_view, kSize> names;

  bool read(Reader& reader, U& out) const {
    const int c = reader.peek();
    if (c == '"') {
      const std::size_t at = reader.offset();
      std::string_view text;
      if (!reader.read_string(text)) return false;
      if (detail::find_name(names, text) == kSize) {
        return reader.fail_at(at, ErrorKind::UnknownVariant, message::unknown_variant(text, names));
      }
      return reader.fail_at(at, ErrorKind::InvalidType,
                            message::invalid_type("unit variant", "struct variant"));
    }
    if (c == '{') {
      std::size_t index = 0;
      if (!detail::open_single_member(reader, names, index)) return false;
      const bool ok = detail::visit_index(
          variants, index,
          [&]<std::size_t I>(const auto& variant, std::integral_constant<std::size_t, I>) {
            return variant.read(reader, (out.*member).template emplace<I>());
          });
      return ok && detail::close_single_member(reader);
    }
    if (c == -1) return reader.fail(ErrorKind::EofWhileParsingValue);
    return reader.fail(ErrorKind::ExpectedValue);
  }

  void write(TextWriter& writer, const U& value) const {
    visit(value, [&](const auto& variant, const auto& alternative) {
      writer.raw('{');
      writer.key(variant.name);
      variant.write(writer, alternative);
      writer.raw('}');
    });
  }

  nlohmann::ordered_json value(const U& value) const {
    nlohmann::ordered_json result;
    visit(value, [&](const auto& variant, const auto& alternative) {
      result = nlohmann::ordered_json::object();
      result[std::string(variant.name)] = variant.value(alternative);
    });
    return result;
  }

  void debug(DebugWriter& writer, const U& value) const {
    visit(value, [&](const auto& variant, const auto& alternative) {
      variant.debug(writer, alternative);
    });
  }

 private:
  template <class F>
  void visit(const U& value, F&& f) const {
    const auto& held = value.*member;
    detail::visit_index(
        variants, held.index(),
        [&]<std::size_t I>(const auto& variant, std::integral_constant<std::size_t, I>) {
          f(variant, std::get<I>(held));
          return true;
        });
  }
};

template <class U, class Variant, class... Records>
constexpr ExternalUnion<U, Variant, Records...> external_union(std::string_view name,
                                                               Variant U::*member,
                                                               Records... variants) {
  static_assert(
      []<std::size_t... I>(std::index_sequence<I...>) {
        return (
            std::is_same_v<std::variant_alternative_t<I, Variant>,
                           typename std::tuple_element_t<I, std::tuple<Records...>>::record_type> &&
            ...);
      }(std::index_sequence_for<Records...>{}),
      "variants must follow the order of the std::variant");
  ((variants.owner = name), ...);
  return {name, member, std::tuple<Records...>(variants...), {variants.name...}};
}

// A union whose variants are told apart by a tag member beside their fields.
template <class U, class Variant, class... Records>
struct InternalUnion {
  static constexpr std::size_t kSize = sizeof...(Records);
  static_assert(std::variant_size_v<Variant> == kSize);

  std::string_view name;
  std::string_view tag;  // the member that holds the tag text
  Variant U::*member;
  std::tuple<Records...> variants;
  std::array<std::string_view, kSize> tags;

  bool read(Reader& reader, U& out) const {
    const int c = reader.peek();
    if (c == '{') {
      if (!reader.enter()) return false;
      const std::size_t body = reader.offset();
      std::size_t index = 0;
      if (!find_tag_member(reader, index)) return false;
      // The fields may come before the tag: read them all again, now that the variant is known.
      reader.seek(body);
      const bool ok = detail::visit_index(
          variants, index,
          [&]<std::size_t I>(const auto& variant, std::integral_constant<std::size_t, I>) {
            return variant.read_members(reader, (out.*member).template emplace<I>(), tag);
          });
      if (!ok) return false;
      reader.leave();
      return true;
    }
    if (c == '[') {
      if (!reader.enter()) return false;
      bool first = true;
      bool more = false;
      if (!reader.array_next(first, more)) return false;
      if (!more) {
        return reader.fail(ErrorKind::MissingField, message::missing_field(tag));
      }
      std::size_t index = 0;
      if (!read_tag_value(reader, index)) return false;
      const bool ok = detail::visit_index(
          variants, index,
          [&]<std::size_t I>(const auto& variant, std::integral_constant<std::size_t, I>) {
            return variant.read_elements(reader, (out.*member).template emplace<I>(), first);
          });
      if (!ok || !reader.array_end()) return false;
      reader.leave();
      return true;
    }
    return reader.invalid_type("internally tagged enum " + std::string(name));
  }

  void write(TextWriter& writer, const U& value) const {
    visit(value, [&](const auto& variant, const auto& alternative) {
      writer.raw('{');
      writer.key(tag);
      writer.string(variant.tag);
      bool first = false;
      variant.write_members(writer, alternative, first);
      writer.raw('}');
    });
  }

  nlohmann::ordered_json value(const U& value) const {
    nlohmann::ordered_json result;
    visit(value, [&](const auto& variant, const auto& alternative) {
      result = nlohmann::ordered_json::object();
      result[std::string(tag)] = std::string(variant.tag);
      variant.add_members(result, alternative);
    });
    return result;
  }

  void debug(DebugWriter& writer, const U& value) const {
    visit(value, [&](const auto& variant, const auto& alternative) {
      variant.debug(writer, alternative);
    });
  }

 private:
  // Finds the first tag member, skipping what comes before it.
  bool find_tag_member(Reader& reader, std::size_t& index) const {
    bool first = true;
    while (true) {
      bool more = false;
      if (!reader.object_next(first, more)) return false;
      if (!more) return reader.fail(ErrorKind::MissingField, message::missing_field(tag));
      std::string_view key;
      if (!reader.read_string(key)) return false;
      const bool is_tag = key == tag;
      if (!reader.colon()) return false;
      if (is_tag) return read_tag_value(reader, index);
      if (!reader.skip_value()) return false;
    }
  }

  bool read_tag_value(Reader& reader, std::size_t& index) const {
    if (reader.peek() != '"') return reader.invalid_type("variant identifier");
    const std::size_t at = reader.offset();
    std::string_view text;
    if (!reader.read_string(text)) return false;
    index = detail::find_name(tags, text);
    if (index == kSize) {
      return reader.fail_at(at, ErrorKind::UnknownVariant, message::unknown_variant(text, tags));
    }
    return true;
  }

  template <class F>
  void visit(const U& value, F&& f) const {
    const auto& held = value.*member;
    detail::visit_index(
        variants, held.index(),
        [&]<std::size_t I>(const auto& variant, std::integral_constant<std::size_t, I>) {
          f(variant, std::get<I>(held));
          return true;
        });
  }
};

// One variant of an internally tagged union: its name, its tag text and its fields.
template <class T, class... Fields>
constexpr Record<T, Fields...> tagged_variant(std::string_view name, std::string_view tag_text,
                                              Fields... fields) {
  Record<T, Fields...> result = record<T>(name, fields...);
  result.tag = tag_text;
  return result;
}

template <class U, class Variant, class... Records>
constexpr InternalUnion<U, Variant, Records...> internal_union(std::string_view name,
                                                               std::string_view tag,
                                                               Variant U::*member,
                                                               Records... variants) {
  static_assert(
      []<std::size_t... I>(std::index_sequence<I...>) {
        return (
            std::is_same_v<std::variant_alternative_t<I, Variant>,
                           typename std::tuple_element_t<I, std::tuple<Records...>>::record_type> &&
            ...);
      }(std::index_sequence_for<Records...>{}),
      "variants must follow the order of the std::variant");
  ((variants.owner = name), ...);
  return {name, tag, member, std::tuple<Records...>(variants...), {variants.tag...}};
}

// An enumeration whose values carry nothing, numbered 0, 1, ... in the order of names.
template <class E, std::size_t N>
struct UnitEnum {
  std::string_view name;
  std::array<std::string_view, N> names;
  std::array<std::string_view, N> shown{};  // debug names, when they differ from names

  // The same enumeration shown under other names in debug text.
  template <class... Names>
  constexpr UnitEnum shown_as(Names... debug_names) const {
    static_assert(sizeof...(Names) == N);
    UnitEnum result = *this;
    result.shown = {std::string_view(debug_names)...};
    return result;
  }

  bool read(Reader& reader, E& out) const {
    const int c = reader.peek();
    std::size_t index = 0;
    if (c == '"') {
      const std::size_t at = reader.offset();
      std::string_view text;
      if (!reader.read_string(text)) return false;
      index = detail::find_name(names, text);
      if (index == N) {
        return reader.fail_at(at, ErrorKind::UnknownVariant, message::unknown_variant(text, names));
      }
      out = static_cast<E>(index);
      return true;
    }
    if (c == '{') {
      if (!detail::open_single_member(reader, names, index)) return false;
      if (reader.peek() != 'n') return reader.invalid_type("unit");
      if (!reader.read_literal("null")) return false;
      out = static_cast<E>(index);
      return detail::close_single_member(reader);
    }
    if (c == -1) return reader.fail(ErrorKind::EofWhileParsingValue);
    return reader.fail(ErrorKind::ExpectedValue);
  }

  std::string_view name_of(E value) const {
    const auto index = static_cast<std::size_t>(value);
    return index < N ? names[index] : std::string_view("?");
  }
  void write(TextWriter& writer, E value) const { writer.string(name_of(value)); }
  nlohmann::ordered_json value(E value) const { return std::string(name_of(value)); }
  void debug(DebugWriter& writer, E value) const {
    const auto index = static_cast<std::size_t>(value);
    writer.raw(index < N && !shown[index].empty() ? shown[index] : name_of(value));
  }
};

template <class E, class... Names>
constexpr UnitEnum<E, sizeof...(Names)> unit_enum(std::string_view name, Names... names) {
  return {name, {std::string_view(names)...}};
}

}  // namespace json
