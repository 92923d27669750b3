#pragma once
// SDL events in the toolkit's input model.

#include <SDL.h>

#include <optional>
#include <string>

#include "vesk_ui/input.hpp"

namespace vesk_ui::sdl {

struct TranslatedEvent {
  InputEvent event;
  Modifiers modifiers;
};

Modifiers modifiers_of(Uint16 sdl_mod);
// The named key of a key code, none for character keys and keys the toolkit does not forward.
std::optional<NamedKey> named_key_of(SDL_Keycode code);
// The character a key stands for (letters in upper case with Shift or Caps Lock), none for keys
// without one. The space bar gives " ".
std::optional<std::string> key_text_of(SDL_Keycode code, Uint16 sdl_mod);

// Keeps what one event needs from earlier ones: whether an input method composition is open
// (key events meanwhile belong to the input method and arrive marked ignored).
class EventTranslator {
 public:
  // `scale` is physical pixels per window unit; `current_mod` the modifier state for events that
  // carry none of their own. None for events the toolkit does not deliver to widgets.
  std::optional<TranslatedEvent> translate(const SDL_Event& event, double scale,
                                           Uint16 current_mod);

  bool composing() const { return composing_; }

 private:
  bool composing_ = false;
};

}  // namespace vesk_ui::sdl
