#include "vesk_ui/sdl_clipboard.hpp"

#include <SDL.h>

#include <memory>
#include <string>

namespace vesk_ui::sdl {

std::optional<std::string> SdlClipboard::get_text() {
  if (!SDL_HasClipboardText()) return std::nullopt;
  std::unique_ptr<char, decltype(&SDL_free)> text(SDL_GetClipboardText(), &SDL_free);
  if (!text || text.get()[0] == '\0') return std::nullopt;
  return std::string(text.get());
}

void SdlClipboard::set_text(std::string_view text) {
  // SDL takes a C string: text after an embedded NUL cannot travel through it.
  std::string copy(text.substr(0, text.find('\0')));
  SDL_SetClipboardText(copy.c_str());
}

}  // namespace vesk_ui::sdl
