#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace json {

// Length of the well-formed UTF-8 sequence that starts at p (1 to 4), or 0 when the bytes
// there are no valid UTF-8 (overlong forms, surrogates, beyond U+10FFFF, truncated).
inline std::size_t utf8_sequence_length(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  const auto continuation = [&](std::ptrdiff_t i) { return (p[i] & 0xC0) == 0x80; };
  const std::ptrdiff_t left = end - p;
  if (c < 0xC2) return 0;
  if (c < 0xE0) return left >= 2 && continuation(1) ? 2 : 0;
  if (c < 0xF0) {
    if (left < 3 || !continuation(1) || !continuation(2)) return 0;
    if (c == 0xE0 && p[1] < 0xA0) return 0;
    if (c == 0xED && p[1] >= 0xA0) return 0;
    return 3;
  }
  if (c < 0xF5) {
    if (left < 4 || !continuation(1) || !continuation(2) || !continuation(3)) return 0;
    if (c == 0xF0 && p[1] < 0x90) return 0;
    if (c == 0xF4 && p[1] >= 0x90) return 0;
    return 4;
  }
  return 0;
}

// Appends code point cp (at most U+10FFFF, no surrogate) as UTF-8.
void append_utf8(std::string& out, char32_t cp);

// The text itself when it is valid UTF-8, else a copy with U+FFFD in place of each
// byte that starts no valid sequence. Our strings come from C++ code that does not promise
// UTF-8, while JSON text must be UTF-8.
std::string valid_utf8(std::string_view text);

}  // namespace json
