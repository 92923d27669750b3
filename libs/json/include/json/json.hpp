#pragma once

// Entry points: decode a whole input as one value, encode a value as compact text or as an
// in-memory JSON value, and show a value for debugging.

#include <string>
#include <string_view>

#include "json/codec.hpp"
#include "json/error.hpp"
#include "json/reader.hpp"

namespace json {

// The whole input must be one value of type T, with only whitespace after it. Nesting starts
// counting afresh at each call.
template <class T>
Result<T> decode(std::string_view input, int max_depth = Reader::kDefaultDepth) {
  Reader reader(input, max_depth);
  T value{};
  if (Codec<T>::read(reader, value) && reader.finish()) return Result<T>(std::move(value));
  return Result<T>(reader.take_error());
}

// Appends the compact text of value to out.
template <class T>
void append_text(std::string& out, const T& value) {
  TextWriter writer(out);
  Codec<T>::write(writer, value);
}

template <class T>
std::string to_text(const T& value) {
  std::string out;
  append_text(out, value);
  return out;
}

// The same shape as the text form, members in the same order.
template <class T>
nlohmann::ordered_json to_value(const T& value) {
  return Codec<T>::value(value);
}

template <class T>
std::string debug_text(const T& value) {
  std::string out;
  DebugWriter writer(out);
  Codec<T>::debug(writer, value);
  return out;
}

}  // namespace json
