#include "actions/mention_parser.hpp"

#include <unicode/casemap.h>
#include <unicode/edits.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace chat::actions {
namespace {

// The full lower-case form of `text` (root locale), or none when some character changes its
// byte length. Only then does every byte offset of the folded text name the same character as
// in the original, so a match found in one is a match at the same place in the other.
std::optional<std::string> lower_in_place(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  const auto length = static_cast<int32_t>(text.size());
  std::string lower(text.size(), '\0');
  icu::Edits edits;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t written =
      icu::CaseMap::utf8ToLower("", 0, text.data(), length, lower.data(), length, &edits, status);
  if (U_FAILURE(status) || written != length) return std::nullopt;
  icu::Edits::Iterator it = edits.getCoarseChangesIterator();
  while (it.next(status)) {
    if (it.oldLength() != it.newLength()) return std::nullopt;
  }
  if (U_FAILURE(status)) return std::nullopt;
  return lower;
}

bool is_white_space(UChar32 c) {
  return c >= 0 && u_hasBinaryProperty(c, UCHAR_WHITE_SPACE);
}

bool is_alphanumeric(UChar32 c) {
  if (c < 0) return false;
  if (c < 0x80) return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
  if (u_hasBinaryProperty(c, UCHAR_ALPHABETIC)) return true;
  const auto type = static_cast<UCharCategory>(u_charType(c));
  return type == U_DECIMAL_DIGIT_NUMBER || type == U_LETTER_NUMBER || type == U_OTHER_NUMBER;
}

// A UTF-8 character is at most four bytes, so a window of four bytes around a position is
// enough to decode its neighbour, whatever the length of the text.
constexpr std::size_t kMaxCharBytes = 4;

bool at_sign_starts_word(std::string_view text, std::size_t at) {
  if (at == 0) return true;
  const std::size_t start = at >= kMaxCharBytes ? at - kMaxCharBytes : 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data() + start);
  auto i = static_cast<int32_t>(at - start);
  UChar32 before = 0;
  U8_PREV(bytes, 0, i, before);
  return is_white_space(before);
}

// True when the name ending at `end` is not continued by a letter or digit. A name that ends
// inside a character (a continuation byte follows) does not end a word either.
bool name_ends_word(std::string_view text, std::size_t end) {
  if (end >= text.size()) return true;
  const std::string_view window = text.substr(end, kMaxCharBytes);
  const auto* bytes = reinterpret_cast<const uint8_t*>(window.data());
  if (U8_IS_TRAIL(bytes[0])) return false;
  int32_t i = 0;
  UChar32 next = 0;
  U8_NEXT(bytes, i, static_cast<int32_t>(window.size()), next);
  return !is_alphanumeric(next);
}

struct PreparedName {
  const MentionCandidate* candidate;
  std::string name;  // folded when matching is case-insensitive
};

}  // namespace

std::vector<Mention> extract_mentions(std::string_view text,
                                      std::span<const MentionCandidate> candidates) {
  std::vector<Mention> mentions;
  if (candidates.empty() || text.find('@') == std::string_view::npos) return mentions;

  const std::optional<std::string> folded_text = lower_in_place(text);
  const bool fold = folded_text.has_value();
  const std::string_view haystack = fold ? std::string_view(*folded_text) : text;

  std::vector<PreparedName> names;
  names.reserve(candidates.size());
  for (const MentionCandidate& c : candidates) {
    if (c.display_name.empty()) continue;
    if (!fold) {
      names.push_back({&c, c.display_name});
      continue;
    }
    std::optional<std::string> folded = lower_in_place(c.display_name);
    if (folded) names.push_back({&c, std::move(*folded)});
  }
  // Longest first, so "Ann Lee" is tried before "Ann".
  std::stable_sort(names.begin(), names.end(), [](const PreparedName& a, const PreparedName& b) {
    return a.name.size() > b.name.size();
  });

  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t at = text.find('@', pos);
    if (at == std::string_view::npos) break;
    pos = at + 1;
    if (!at_sign_starts_word(text, at)) continue;
    const std::string_view after = haystack.substr(at + 1);
    for (const PreparedName& n : names) {
      if (!after.starts_with(n.name)) continue;
      const std::size_t end = at + 1 + n.name.size();
      if (!name_ends_word(text, end)) continue;
      mentions.push_back({n.candidate->id, at, n.name.size() + 1, n.candidate->is_agent});
      pos = end;
      break;
    }
  }
  return mentions;
}

}  // namespace chat::actions
