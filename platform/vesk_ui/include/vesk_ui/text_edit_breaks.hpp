#pragma once
// Where a text editor may stop and cut in UTF-8 text: user-perceived characters (extended
// grapheme clusters, so an emoji with its modifiers or a letter with its combining marks moves
// and deletes as one) and words, both from ICU's break rules. Offsets are bytes; the text must
// be valid UTF-8.

#include <cstddef>
#include <string_view>
#include <utility>

namespace vesk_ui::text_edit {

// The caret stop after / before `at` (the text's end / 0 at the edges).
std::size_t next_grapheme(std::string_view text, std::size_t at);
std::size_t prev_grapheme(std::string_view text, std::size_t at);
// `at` itself when it is a caret stop, else the stop before it; past the end gives the end.
std::size_t snap_to_grapheme(std::string_view text, std::size_t at);

// Start of the word before `at` (0 when there is none): where Ctrl+Left goes.
std::size_t prev_word_start(std::string_view text, std::size_t at);
// End of the word after `at` (the text's end when there is none): where Ctrl+Right goes.
std::size_t next_word_end(std::string_view text, std::size_t at);
// The word, or the run of spaces or punctuation, that holds the character at `at` (at the end
// of the text: the one before it). Empty text gives {0, 0}.
std::pair<std::size_t, std::size_t> segment_at(std::string_view text, std::size_t at);

}  // namespace vesk_ui::text_edit
