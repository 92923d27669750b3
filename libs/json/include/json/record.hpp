#pragma once

// Records: named fields in declaration order, read from an object (members in any order)
// or from an array (fields by position), written as an object in declaration order.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "json/codec.hpp"

namespace json {

// What decoding does when a field is not given.
enum class Absent {
  Fails,         // missing field in an object, invalid length in an array
  NoneInObject,  // an optional field left out of an object is none; an array must reach it
  TakesDefault,  // the default value, in an object and at the end of an array
};

template <class T>
inline constexpr bool is_optional_v = false;
template <class T>
inline constexpr bool is_optional_v<std::optional<T>> = true;

template <class Owner, class Member>
struct Field {
  using owner_type = Owner;
  using member_type = Member;

  std::string_view name;
  Member Owner::*member;
  Absent absent;
  bool left_out_when_empty = false;

  // Absent values take the default (a default-constructed member).
  constexpr Field defaulted() const {
    Field f = *this;
    f.absent = Absent::TakesDefault;
    return f;
  }
  // Not written at all when none or empty.
  constexpr Field omitted_when_empty() const {
    Field f = *this;
    f.left_out_when_empty = true;
    return f;
  }
  bool empty_in(const Owner& record) const {
    const Member& value = record.*member;
    if constexpr (is_optional_v<Member>) {
      return !value.has_value();
    } else if constexpr (requires { value.empty(); }) {
      return value.empty();
    } else {
      return false;
    }
  }
};

// A required field; an optional one (std::optional) is none when left out of an object.
template <class Owner, class Member>
constexpr Field<Owner, Member> field(std::string_view name, Member Owner::*member) {
  return {name, member, is_optional_v<Member> ? Absent::NoneInObject : Absent::Fails};
}

template <class T, class... Fields>
struct Record {
  using record_type = T;
  static constexpr std::size_t kSize = sizeof...(Fields);

  std::string_view name;   // for debugging and expectation texts
  std::string_view owner;  // the union of a struct variant, else empty
  std::string_view tag;    // the tag text of an internally tagged variant
  std::tuple<Fields...> fields;

  // "struct Span", "struct variant ChatAction::SendMessage"
  std::string short_text() const {
    if (owner.empty()) return "struct " + std::string(name);
    return "struct variant " + std::string(owner) + "::" + std::string(name);
  }
  // The short text with the field count: "... with 9 elements", "... with 1 element".
  std::string counted_text() const {
    return short_text() + " with " + std::to_string(kSize) +
           (kSize == 1 ? " element" : " elements");
  }

  bool read(Reader& reader, T& out) const {
    const int c = reader.peek();
    if (c == '{') {
      if (!reader.enter() || !read_members(reader, out, {})) return false;
      reader.leave();
      return true;
    }
    if (c == '[') {
      bool first = true;
      if (!reader.enter() || !read_elements(reader, out, first) || !reader.array_end()) {
        return false;
      }
      reader.leave();
      return true;
    }
    return reader.invalid_type(short_text());
  }

  // The members of an object whose brace is taken, up to and with its closing brace.
  // A member named `tag` was read by the caller: its first appearance is skipped, a second
  // one is a duplicate.
  bool read_members(Reader& reader, T& out, std::string_view tag_member) const {
    bool seen[kSize + 1] = {};
    bool tag_seen = false;
    bool first = true;
    while (true) {
      bool more = false;
      if (!reader.object_next(first, more)) return false;
      if (!more) break;
      std::string_view key;
      if (!reader.read_string(key)) return false;
      const std::size_t key_end = reader.offset() - 1;
      const std::size_t index = find(key);
      if (index == kSize) {
        if (!tag_member.empty() && key == tag_member) {
          if (tag_seen) {
            return reader.fail_at(key_end, ErrorKind::DuplicateField,
                                  message::duplicate_field(tag_member));
          }
          tag_seen = true;
        }
        if (!reader.colon() || !reader.skip_value()) return false;
        continue;
      }
      if (seen[index]) {
        return reader.fail_at(key_end, ErrorKind::DuplicateField,
                              message::duplicate_field(name_at(index)));
      }
      seen[index] = true;
      if (!reader.colon() || !read_field(index, reader, out)) return false;
    }
    const std::size_t close = reader.offset();
    reader.bump();
    return check_present(reader, seen, close, std::make_index_sequence<kSize>{});
  }

  // The fields of an array from its next element on; the caller takes the closing bracket.
  bool read_elements(Reader& reader, T& out, bool& first) const {
    bool ended = false;
    return read_elements_from(reader, out, first, ended, std::make_index_sequence<kSize>{});
  }

  void write(TextWriter& writer, const T& value) const {
    writer.raw('{');
    bool first = true;
    write_members(writer, value, first);
    writer.raw('}');
  }

  void write_members(TextWriter& writer, const T& value, bool& first) const {
    std::apply(
        [&](const auto&... f) {
          (
              [&] {
                if (f.left_out_when_empty && f.empty_in(value)) return;
                if (!first) writer.raw(',');
                first = false;
                writer.key(f.name);
                Codec<typename std::decay_t<decltype(f)>::member_type>::write(writer,
                                                                              value.*(f.member));
              }(),
              ...);
        },
        fields);
  }

  nlohmann::ordered_json value(const T& value) const {
    auto object = nlohmann::ordered_json::object();
    add_members(object, value);
    return object;
  }

  void add_members(nlohmann::ordered_json& object, const T& value) const {
    std::apply(
        [&](const auto&... f) {
          (
              [&] {
                if (f.left_out_when_empty && f.empty_in(value)) return;
                object[std::string(f.name)] =
                    Codec<typename std::decay_t<decltype(f)>::member_type>::value(value.*
                                                                                  (f.member));
              }(),
              ...);
        },
        fields);
  }

  void debug(DebugWriter& writer, const T& value) const {
    writer.raw(name);
    if constexpr (kSize > 0) {
      bool first = true;
      writer.raw(" { ");
      std::apply(
          [&](const auto&... f) {
            (
                [&] {
                  if (!first) writer.raw(", ");
                  first = false;
                  writer.raw(f.name);
                  writer.raw(": ");
                  Codec<typename std::decay_t<decltype(f)>::member_type>::debug(writer,
                                                                                value.*(f.member));
                }(),
                ...);
          },
          fields);
      writer.raw(" }");
    }
  }

 private:
  std::size_t find(std::string_view key) const {
    std::size_t index = kSize;
    std::size_t i = 0;
    std::apply(
        [&](const auto&... f) {
          (void)((f.name == key ? (index = i, true) : (++i, false)) || ...);
        },
        fields);
    return index;
  }

  std::string_view name_at(std::size_t index) const {
    std::string_view result;
    std::size_t i = 0;
    std::apply(
        [&](const auto&... f) { (void)((i++ == index ? (result = f.name, true) : false) || ...); },
        fields);
    return result;
  }

  bool read_field(std::size_t index, Reader& reader, T& out) const {
    bool ok = false;
    std::size_t i = 0;
    std::apply(
        [&](const auto&... f) {
          (void)((i++ == index ? (ok = Codec<typename std::decay_t<decltype(f)>::member_type>::read(
                                      reader, out.*(f.member)),
                                  true)
                               : false) ||
                 ...);
        },
        fields);
    return ok;
  }

  template <std::size_t... I>
  bool check_present(Reader& reader, const bool* seen, std::size_t close,
                     std::index_sequence<I...>) const {
    [[maybe_unused]] const auto present = [&](const auto& f, std::size_t i) {
      if (seen[i] || f.absent != Absent::Fails) return true;
      return reader.fail_at(close, ErrorKind::MissingField, message::missing_field(f.name));
    };
    return (present(std::get<I>(fields), I) && ...);
  }

  template <std::size_t... I>
  bool read_elements_from(Reader& reader, T& out, bool& first, bool& ended,
                          std::index_sequence<I...>) const {
    [[maybe_unused]] const auto element = [&](const auto& f, std::size_t i) {
      if (!ended) {
        bool more = false;
        if (!reader.array_next(first, more)) return false;
        ended = !more;
      }
      if (ended) {
        if (f.absent == Absent::TakesDefault) return true;
        return reader.fail_at(reader.offset(), ErrorKind::InvalidLength,
                              message::invalid_length(i, counted_text()));
      }
      return Codec<typename std::decay_t<decltype(f)>::member_type>::read(reader, out.*(f.member));
    };
    return (element(std::get<I>(fields), I) && ...);
  }
};

// A record named after its type: "struct Span".
template <class T, class... Fields>
constexpr Record<T, Fields...> record(std::string_view name, Fields... fields) {
  static_assert((std::is_same_v<typename Fields::owner_type, T> && ...));
  return {name, {}, {}, std::tuple<Fields...>(fields...)};
}

// The record of one variant of a union with fields; the union names its owner.
template <class T, class... Fields>
constexpr Record<T, Fields...> variant_record(std::string_view name, Fields... fields) {
  return record<T>(name, fields...);
}

}  // namespace json
