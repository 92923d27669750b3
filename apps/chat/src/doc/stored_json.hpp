#pragma once
// Decoding of the JSON texts kept in the document. A text that does not decode reads as
// absent, so only success matters here; the value is decoded in place.

#include <string_view>

#include "json/json.hpp"

namespace chat::doc {

// True when the whole text is one value of T (nesting counted afresh from the limit).
template <class T>
bool decode_stored(std::string_view text, T& out) {
  json::Reader reader(text);
  return json::Codec<T>::read(reader, out) && reader.finish();
}

}  // namespace chat::doc
