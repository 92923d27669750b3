#include "app/white_space.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

namespace chat::app {

std::string_view trim_white_space(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return text;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  int32_t start = 0;
  while (start < length) {
    int32_t next = start;
    UChar32 c = 0;
    U8_NEXT(bytes, next, length, c);
    if (c < 0 || !u_hasBinaryProperty(c, UCHAR_WHITE_SPACE)) break;
    start = next;
  }
  int32_t end = length;
  while (end > start) {
    int32_t before = end;
    UChar32 c = 0;
    U8_PREV(bytes, start, before, c);
    if (c < 0 || !u_hasBinaryProperty(c, UCHAR_WHITE_SPACE)) break;
    end = before;
  }
  return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

}  // namespace chat::app
