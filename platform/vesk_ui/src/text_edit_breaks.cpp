#include "vesk_ui/text_edit_breaks.hpp"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

namespace vesk_ui::text_edit {

namespace {

struct BreakIteratorCloser {
  void operator()(UBreakIterator* it) const { ubrk_close(it); }
};
struct UTextCloser {
  void operator()(UText* ut) const { utext_close(ut); }
};

// A break iterator over UTF-8 text. With a UTF-8 UText, ICU's native indices are byte offsets,
// so no conversion to UTF-16 positions is needed.
class Breaks {
 public:
  Breaks(UBreakIteratorType type, std::string_view text) {
    // ICU's offsets are 32-bit; longer text falls back to whole code points.
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) return;
    UErrorCode status = U_ZERO_ERROR;
    text_.reset(utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
    if (U_FAILURE(status)) return;
    iterator_.reset(ubrk_open(type, "", nullptr, 0, &status));
    if (U_FAILURE(status)) return;
    ubrk_setUText(iterator_.get(), text_.get(), &status);
    if (U_FAILURE(status)) iterator_.reset();
  }

  bool ok() const { return iterator_ != nullptr; }
  UBreakIterator* get() const { return iterator_.get(); }

 private:
  std::unique_ptr<UText, UTextCloser> text_;
  std::unique_ptr<UBreakIterator, BreakIteratorCloser> iterator_;
};

bool is_continuation(unsigned char c) {
  return (c & 0xc0) == 0x80;
}

// Without ICU's rules (it failed to open) whole code points are the next best stop.
std::size_t next_code_point(std::string_view text, std::size_t at) {
  if (at >= text.size()) return text.size();
  ++at;
  while (at < text.size() && is_continuation(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

std::size_t prev_code_point(std::string_view text, std::size_t at) {
  at = std::min(at, text.size());
  if (at == 0) return 0;
  --at;
  while (at > 0 && is_continuation(static_cast<unsigned char>(text[at]))) --at;
  return at;
}

std::size_t to_offset(int32_t index, std::size_t fallback) {
  return index == UBRK_DONE ? fallback : static_cast<std::size_t>(index);
}

bool is_word(const Breaks& words) {
  return ubrk_getRuleStatus(words.get()) >= UBRK_WORD_NONE_LIMIT;
}

}  // namespace

std::size_t next_grapheme(std::string_view text, std::size_t at) {
  if (at >= text.size()) return text.size();
  Breaks chars(UBRK_CHARACTER, text);
  if (!chars.ok()) return next_code_point(text, at);
  return to_offset(ubrk_following(chars.get(), static_cast<int32_t>(at)), text.size());
}

std::size_t prev_grapheme(std::string_view text, std::size_t at) {
  at = std::min(at, text.size());
  if (at == 0) return 0;
  Breaks chars(UBRK_CHARACTER, text);
  if (!chars.ok()) return prev_code_point(text, at);
  return to_offset(ubrk_preceding(chars.get(), static_cast<int32_t>(at)), 0);
}

std::size_t snap_to_grapheme(std::string_view text, std::size_t at) {
  if (at >= text.size()) return text.size();
  if (at == 0) return 0;
  Breaks chars(UBRK_CHARACTER, text);
  if (!chars.ok()) {
    while (at > 0 && is_continuation(static_cast<unsigned char>(text[at]))) --at;
    return at;
  }
  if (ubrk_isBoundary(chars.get(), static_cast<int32_t>(at))) return at;
  return to_offset(ubrk_preceding(chars.get(), static_cast<int32_t>(at)), 0);
}

std::size_t prev_word_start(std::string_view text, std::size_t at) {
  at = std::min(at, text.size());
  Breaks words(UBRK_WORD, text);
  if (!words.ok()) return prev_code_point(text, at);
  // Walk back over boundaries; a boundary starts a word when the segment after it is one.
  for (int32_t start = ubrk_preceding(words.get(), static_cast<int32_t>(at)); start != UBRK_DONE;
       start = ubrk_preceding(words.get(), start)) {
    ubrk_following(words.get(), start);
    if (is_word(words)) return static_cast<std::size_t>(start);
  }
  return 0;
}

std::size_t next_word_end(std::string_view text, std::size_t at) {
  if (at >= text.size()) return text.size();
  Breaks words(UBRK_WORD, text);
  if (!words.ok()) return next_code_point(text, at);
  // The rule status after moving to a boundary describes the segment that ends there.
  for (int32_t end = ubrk_following(words.get(), static_cast<int32_t>(at)); end != UBRK_DONE;
       end = ubrk_next(words.get())) {
    if (is_word(words)) return static_cast<std::size_t>(end);
  }
  return text.size();
}

std::pair<std::size_t, std::size_t> segment_at(std::string_view text, std::size_t at) {
  if (text.empty()) return {0, 0};
  at = std::min(at, text.size());
  if (at == text.size()) at = prev_code_point(text, at);
  Breaks words(UBRK_WORD, text);
  if (!words.ok()) return {at, next_code_point(text, at)};
  int32_t index = static_cast<int32_t>(at);
  int32_t start = ubrk_isBoundary(words.get(), index) ? index : ubrk_preceding(words.get(), index);
  int32_t end = ubrk_following(words.get(), index);
  return {to_offset(start, 0), to_offset(end, text.size())};
}

}  // namespace vesk_ui::text_edit
