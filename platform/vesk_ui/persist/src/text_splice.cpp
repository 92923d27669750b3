#include <algorithm>
#include <cstdint>

#include "vesk_ui/text_splice.hpp"

namespace vesk_ui {
namespace {

bool is_continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xc0) == 0x80;
}

std::size_t code_points(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char b) { return !is_continuation(b); }));
}

bool valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t cp = 0;
    if (lead < 0x80) {
      length = 1;
      cp = lead;
    } else if ((lead & 0xe0) == 0xc0) {
      length = 2;
      cp = lead & 0x1f;
    } else if ((lead & 0xf0) == 0xe0) {
      length = 3;
      cp = lead & 0x0f;
    } else if ((lead & 0xf8) == 0xf0) {
      length = 4;
      cp = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if (!is_continuation(text[i + k])) return false;
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3f);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return false;
    i += length;
  }
  return true;
}

}  // namespace

crdt::Status splice_text_diffed(crdt::Document& doc, const crdt::ObjId& text_obj,
                                std::string_view new_text) {
  std::optional<std::string> current = doc.text(text_obj);
  if (!current) return crdt::Error{crdt::ErrorCode::WrongObjectType, "not a text object"};
  if (!valid_utf8(new_text)) return crdt::Error{crdt::ErrorCode::InvalidText, "not valid UTF-8"};
  const std::string_view old_text = *current;
  if (old_text == new_text) return {};

  // Byte-wise common ends, moved back onto code point boundaries. Both texts are valid UTF-8,
  // so a boundary in one is a boundary in the other wherever their bytes agree.
  std::size_t prefix = 0;
  const std::size_t shorter = std::min(old_text.size(), new_text.size());
  while (prefix < shorter && old_text[prefix] == new_text[prefix]) ++prefix;
  while (prefix > 0 && ((prefix < old_text.size() && is_continuation(old_text[prefix])) ||
                        (prefix < new_text.size() && is_continuation(new_text[prefix])))) {
    --prefix;
  }
  std::size_t suffix = 0;
  while (suffix < shorter - prefix &&
         old_text[old_text.size() - 1 - suffix] == new_text[new_text.size() - 1 - suffix]) {
    ++suffix;
  }
  while (suffix > 0 && is_continuation(old_text[old_text.size() - suffix])) --suffix;

  const std::string_view removed = old_text.substr(prefix, old_text.size() - prefix - suffix);
  const std::string_view inserted = new_text.substr(prefix, new_text.size() - prefix - suffix);
  return doc.splice_text(text_obj, code_points(old_text.substr(0, prefix)), code_points(removed),
                         inserted);
}

}  // namespace vesk_ui
