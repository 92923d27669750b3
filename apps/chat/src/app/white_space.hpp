#pragma once

// Trimming by the Unicode White_Space property, as the composer and rename box trim.

#include <string_view>

namespace chat::app {

// The text without leading and trailing white space (a view into `text`).
std::string_view trim_white_space(std::string_view text);
// True when the text is empty or white space only.
inline bool is_blank(std::string_view text) {
  return trim_white_space(text).empty();
}

}  // namespace chat::app
