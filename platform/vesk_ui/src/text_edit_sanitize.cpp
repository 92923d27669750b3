#include "vesk_ui/text_edit_sanitize.hpp"

#include <cstdint>
#include <optional>

namespace vesk_ui::text_edit {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct Decoded {
  char32_t code_point;
  std::size_t length;
};

// One code point at `at` under the strict UTF-8 rules (no overlong forms, no surrogates,
// nothing past U+10FFFF); none for a broken sequence.
std::optional<Decoded> decode(std::string_view s, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return Decoded{lead, 1};
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((lead & 0xe0) == 0xc0) {
    length = 2, cp = lead & 0x1f, min = 0x80;
  } else if ((lead & 0xf0) == 0xe0) {
    length = 3, cp = lead & 0x0f, min = 0x800;
  } else if ((lead & 0xf8) == 0xf0) {
    length = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    return std::nullopt;
  }
  if (at + length > s.size()) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xc0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (byte(at + i) & 0x3f);
  }
  if (cp < min || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return std::nullopt;
  return Decoded{cp, length};
}

bool is_dropped_control(char32_t cp) {
  return (cp < 0x20 && cp != '\t' && cp != '\n') || (cp >= 0x7f && cp <= 0x9f);
}

}  // namespace

std::string sanitize(std::string_view text, bool single_line) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    std::optional<Decoded> d = decode(text, at);
    if (!d) {
      out += kReplacement;
      ++at;
      // The rest of a broken sequence is one replacement, not one per byte.
      while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xc0) == 0x80) ++at;
      continue;
    }
    char32_t cp = d->code_point;
    if (cp == '\r') {
      cp = '\n';
      if (at + 1 < text.size() && text[at + 1] == '\n') ++at;
    }
    if ((cp == '\n' || cp == '\t') && single_line) {
      out += ' ';
    } else if (cp == '\n') {
      out += '\n';
    } else if (!is_dropped_control(cp)) {
      out.append(text.substr(at, d->length));
    }
    at += d->length;
  }
  return out;
}

}  // namespace vesk_ui::text_edit
