#pragma once

// The JSON forms of the standard types records are made of.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "json/debug_writer.hpp"
#include "json/declare.hpp"
#include "json/reader.hpp"
#include "json/text_writer.hpp"
#include "json/utf8.hpp"

namespace json {

template <>
struct Codec<std::string> {
  static bool read(Reader& reader, std::string& out) {
    if (reader.peek() != '"') return reader.invalid_type("a string");
    std::string_view text;
    if (!reader.read_string(text)) return false;
    out.assign(text);
    return true;
  }
  static void write(TextWriter& writer, const std::string& value) { writer.string(value); }
  static nlohmann::ordered_json value(const std::string& value) { return valid_utf8(value); }
  static void debug(DebugWriter& writer, const std::string& value) { writer.string(value); }
};

template <>
struct Codec<bool> {
  static bool read(Reader& reader, bool& out) {
    const int c = reader.peek();
    if (c == 't') {
      out = true;
      return reader.read_literal("true");
    }
    if (c == 'f') {
      out = false;
      return reader.read_literal("false");
    }
    return reader.invalid_type("a boolean");
  }
  static void write(TextWriter& writer, bool value) { writer.boolean(value); }
  static nlohmann::ordered_json value(bool value) { return value; }
  static void debug(DebugWriter& writer, bool value) { writer.raw(value ? "true" : "false"); }
};

namespace detail {

template <class Integer>
constexpr std::string_view integer_name() {
  if constexpr (std::is_same_v<Integer, std::int64_t>) return "i64";
  if constexpr (std::is_same_v<Integer, std::uint64_t>) return "u64";
  if constexpr (std::is_same_v<Integer, std::uint32_t>) return "u32";
}

// Whether an integer of this sign and magnitude fits, and its value when it does.
template <class Integer>
bool fit_integer(const Number& n, Integer& out) {
  if (n.overflow) return false;
  if (n.negative) {
    if (n.magnitude == 0) {
      out = 0;
      return true;
    }
    if constexpr (std::is_unsigned_v<Integer>) {
      return false;
    } else {
      constexpr auto limit = static_cast<std::uint64_t>(std::numeric_limits<Integer>::max()) + 1;
      if (n.magnitude > limit) return false;
      out = static_cast<Integer>(0 - n.magnitude);
      return true;
    }
  }
  if (n.magnitude > static_cast<std::uint64_t>(std::numeric_limits<Integer>::max())) return false;
  out = static_cast<Integer>(n.magnitude);
  return true;
}

template <class Integer>
struct IntegerCodec {
  static bool read(Reader& reader, Integer& out) {
    const int c = reader.peek();
    if (c != '-' && (c < '0' || c > '9')) return reader.invalid_type(integer_name<Integer>());
    const std::size_t at = reader.offset();
    Number n;
    if (!reader.read_number(n)) return false;
    if (!n.integer) {
      return reader.fail_at(at, ErrorKind::InvalidType,
                            message::invalid_type("floating point `" + std::string(n.text) + "`",
                                                  integer_name<Integer>()));
    }
    if (!fit_integer(n, out)) {
      return reader.fail_at(
          at, ErrorKind::InvalidValue,
          message::invalid_value("integer `" + std::string(n.text) + "`", integer_name<Integer>()));
    }
    return true;
  }
  static void write(TextWriter& writer, Integer value) { writer.integer(value); }
  static nlohmann::ordered_json value(Integer value) { return value; }
  static void debug(DebugWriter& writer, Integer value) { writer.integer(value); }
};

}  // namespace detail

template <>
struct Codec<std::int64_t> : detail::IntegerCodec<std::int64_t> {};
template <>
struct Codec<std::uint64_t> : detail::IntegerCodec<std::uint64_t> {};
template <>
struct Codec<std::uint32_t> : detail::IntegerCodec<std::uint32_t> {};

// null is none; anything else is read as T.
template <class T>
struct Codec<std::optional<T>> {
  static bool read(Reader& reader, std::optional<T>& out) {
    if (reader.peek() == 'n') {
      out.reset();
      return reader.read_literal("null");
    }
    return Codec<T>::read(reader, out.emplace());
  }
  static void write(TextWriter& writer, const std::optional<T>& value) {
    if (value) {
      Codec<T>::write(writer, *value);
    } else {
      writer.null();
    }
  }
  static nlohmann::ordered_json value(const std::optional<T>& value) {
    if (!value) return nullptr;
    return Codec<T>::value(*value);
  }
  static void debug(DebugWriter& writer, const std::optional<T>& value) {
    if (!value) {
      writer.raw("None");
      return;
    }
    writer.raw("Some(");
    Codec<T>::debug(writer, *value);
    writer.raw(")");
  }
};

template <class T>
struct Codec<std::vector<T>> {
  static bool read(Reader& reader, std::vector<T>& out) {
    if (reader.peek() != '[') return reader.invalid_type("a sequence");
    if (!reader.enter()) return false;
    out.clear();
    bool first = true;
    bool more = true;
    while (true) {
      if (!reader.array_next(first, more)) return false;
      if (!more) break;
      if (!Codec<T>::read(reader, out.emplace_back())) return false;
    }
    reader.bump();
    reader.leave();
    return true;
  }
  static void write(TextWriter& writer, const std::vector<T>& value) {
    writer.raw('[');
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (i > 0) writer.raw(',');
      Codec<T>::write(writer, value[i]);
    }
    writer.raw(']');
  }
  static nlohmann::ordered_json value(const std::vector<T>& value) {
    auto array = nlohmann::ordered_json::array();
    for (const auto& item : value) array.push_back(Codec<T>::value(item));
    return array;
  }
  static void debug(DebugWriter& writer, const std::vector<T>& value) {
    writer.raw("[");
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (i > 0) writer.raw(", ");
      Codec<T>::debug(writer, value[i]);
    }
    writer.raw("]");
  }
};

}  // namespace json
