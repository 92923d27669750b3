#pragma once

// What a header needs to give its own types a JSON form: the hook declarations only.
// The definitions go in one source file per type, with JSON_DEFINE_CODEC and a schema:
//
//   // span.hpp
//   struct Span { std::uint64_t start = 0; std::uint64_t end = 0; };
//   JSON_DECLARE_CODEC(Span);
//
//   // span.cpp
//   constexpr auto span_schema = json::record<Span>(
//       "Span", json::field("start", &Span::start), json::field("end", &Span::end));
//   JSON_DEFINE_CODEC(Span, span_schema)
//
// Then json::decode<Span>(bytes), json::to_text(span), json::to_value(span) and
// json::debug_text(span) (json/json.hpp) work, also for Span nested in other schemas.

#include <nlohmann/json_fwd.hpp>

namespace json {

class Reader;
class TextWriter;
class DebugWriter;

// How values of T are read, written as text, built as a JSON value and shown for debugging.
template <class T>
struct Codec;

}  // namespace json

// At global scope, after the type's declaration.
#define JSON_DECLARE_CODEC(Type)                                       \
  template <>                                                          \
  struct json::Codec<Type> {                                           \
    static bool read(::json::Reader& reader, Type& out);               \
    static void write(::json::TextWriter& writer, const Type& value);  \
    static ::nlohmann::ordered_json value(const Type& value);          \
    static void debug(::json::DebugWriter& writer, const Type& value); \
  }

// A type that travels only as text: read and written, never built as a value or shown.
#define JSON_DECLARE_TEXT_CODEC(Type)                                 \
  template <>                                                         \
  struct json::Codec<Type> {                                          \
    static bool read(::json::Reader& reader, Type& out);              \
    static void write(::json::TextWriter& writer, const Type& value); \
  }

// In the type's source file; schema is a record, union or enumeration schema.
#define JSON_DEFINE_CODEC(Type, schema)                                           \
  bool json::Codec<Type>::read(::json::Reader& reader, Type& out) {               \
    return (schema).read(reader, out);                                            \
  }                                                                               \
  void json::Codec<Type>::write(::json::TextWriter& writer, const Type& value) {  \
    (schema).write(writer, value);                                                \
  }                                                                               \
  ::nlohmann::ordered_json json::Codec<Type>::value(const Type& value) {          \
    return (schema).value(value);                                                 \
  }                                                                               \
  void json::Codec<Type>::debug(::json::DebugWriter& writer, const Type& value) { \
    (schema).debug(writer, value);                                                \
  }

#define JSON_DEFINE_TEXT_CODEC(Type, schema)                                     \
  bool json::Codec<Type>::read(::json::Reader& reader, Type& out) {              \
    return (schema).read(reader, out);                                           \
  }                                                                              \
  void json::Codec<Type>::write(::json::TextWriter& writer, const Type& value) { \
    (schema).write(writer, value);                                               \
  }
