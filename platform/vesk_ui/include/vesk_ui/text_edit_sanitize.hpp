#pragma once

#include <string>
#include <string_view>

namespace vesk_ui::text_edit {

// Text as an editor may hold it, whatever its source (keyboard, clipboard, a stored draft):
// valid UTF-8 (each broken sequence becomes U+FFFD), CR LF and a lone CR become LF, and control
// characters other than tab and line feed are dropped. With `single_line` line feeds and tabs
// become spaces.
std::string sanitize(std::string_view text, bool single_line);

}  // namespace vesk_ui::text_edit
