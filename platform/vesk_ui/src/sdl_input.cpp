#include "vesk_ui/sdl_input.hpp"

#include <algorithm>
#include <cstring>

namespace vesk_ui::sdl {
namespace {

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Byte offset of the `chars`-th code point of UTF-8 text (its end when shorter).
std::size_t byte_offset_of(const std::string& text, int chars) {
  std::size_t i = 0;
  for (int n = 0; n < chars && i < text.size(); ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

PointerButtonKind button_kind(Uint8 button, bool& known) {
  known = true;
  switch (button) {
    case SDL_BUTTON_LEFT:
      return PointerButtonKind::Primary;
    case SDL_BUTTON_RIGHT:
      return PointerButtonKind::Secondary;
    case SDL_BUTTON_MIDDLE:
      return PointerButtonKind::Middle;
    default:
      known = false;
      return PointerButtonKind::Primary;
  }
}

}  // namespace

Modifiers modifiers_of(Uint16 mod) {
  Modifiers m;
  m.shift = (mod & KMOD_SHIFT) != 0;
  m.control = (mod & KMOD_CTRL) != 0;
  m.alt = (mod & KMOD_ALT) != 0;
  m.super = (mod & KMOD_GUI) != 0;
  return m;
}

std::optional<NamedKey> named_key_of(SDL_Keycode code) {
  switch (code) {
    case SDLK_LALT:
    case SDLK_RALT:
      return NamedKey::Alt;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return NamedKey::Control;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return NamedKey::Shift;
    case SDLK_LGUI:
    case SDLK_RGUI:
      return NamedKey::Super;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
      return NamedKey::Enter;
    case SDLK_TAB:
      return NamedKey::Tab;
    case SDLK_DOWN:
      return NamedKey::ArrowDown;
    case SDLK_LEFT:
      return NamedKey::ArrowLeft;
    case SDLK_RIGHT:
      return NamedKey::ArrowRight;
    case SDLK_UP:
      return NamedKey::ArrowUp;
    case SDLK_END:
      return NamedKey::End;
    case SDLK_HOME:
      return NamedKey::Home;
    case SDLK_PAGEDOWN:
      return NamedKey::PageDown;
    case SDLK_PAGEUP:
      return NamedKey::PageUp;
    case SDLK_BACKSPACE:
      return NamedKey::Backspace;
    case SDLK_DELETE:
      return NamedKey::Delete;
    case SDLK_INSERT:
      return NamedKey::Insert;
    case SDLK_ESCAPE:
      return NamedKey::Escape;
    default:
      return std::nullopt;
  }
}

std::optional<std::string> key_text_of(SDL_Keycode code, Uint16 mod) {
  // Keys without a character have the scancode bit set; control characters are named keys.
  if ((code & SDLK_SCANCODE_MASK) != 0 || code < 0x20 || code == 0x7F || code > 0x10FFFF)
    return std::nullopt;
  if (code >= 0xD800 && code <= 0xDFFF) return std::nullopt;
  char32_t c = static_cast<char32_t>(code);
  bool upper = ((mod & KMOD_SHIFT) != 0) != ((mod & KMOD_CAPS) != 0);
  if (upper && c >= U'a' && c <= U'z') c = c - U'a' + U'A';
  std::string text;
  append_utf8(text, c);
  return text;
}

std::optional<TranslatedEvent> EventTranslator::translate(const SDL_Event& event, double scale,
                                                          Uint16 current_mod) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDL_Keysym& sym = event.key.keysym;
      KeyEvent key;
      if (std::optional<NamedKey> named = named_key_of(sym.sym)) {
        key.key = *named;
      } else if (std::optional<std::string> text = key_text_of(sym.sym, sym.mod)) {
        key.key = std::move(*text);
      } else {
        return std::nullopt;
      }
      key.state = event.type == SDL_KEYDOWN ? ElementState::Pressed : ElementState::Released;
      key.ignored = composing_;
      return TranslatedEvent{std::move(key), modifiers_of(sym.mod)};
    }
    case SDL_TEXTINPUT: {
      composing_ = false;
      std::string text(event.text.text, strnlen(event.text.text, sizeof event.text.text));
      if (text.empty()) return std::nullopt;
      return TranslatedEvent{TextEvent{std::move(text)}, modifiers_of(current_mod)};
    }
    case SDL_TEXTEDITING: {
      std::string text(event.edit.text, strnlen(event.edit.text, sizeof event.edit.text));
      composing_ = !text.empty();
      std::size_t cursor = byte_offset_of(text, std::max(0, static_cast<int>(event.edit.start)));
      return TranslatedEvent{CompositionEvent{std::move(text), cursor}, modifiers_of(current_mod)};
    }
    case SDL_MOUSEMOTION:
      return TranslatedEvent{PointerMoved{event.motion.x * scale, event.motion.y * scale},
                             modifiers_of(current_mod)};
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      bool known = false;
      PointerButton button;
      button.button = button_kind(event.button.button, known);
      if (!known) return std::nullopt;
      button.state =
          event.type == SDL_MOUSEBUTTONDOWN ? ElementState::Pressed : ElementState::Released;
      button.clicks = static_cast<std::uint8_t>(std::clamp<int>(event.button.clicks, 1, 3));
      return TranslatedEvent{button, modifiers_of(current_mod)};
    }
    case SDL_MOUSEWHEEL: {
      // SDL counts notches; positive y is away from the user (towards the top of the content),
      // positive x to the right. The model moves content: down for positive dy, right for
      // positive dx.
      double flip = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0 : 1.0;
      WheelEvent wheel;
      wheel.unit = WheelEvent::Unit::Lines;
      wheel.dy = flip * event.wheel.preciseY;
      wheel.dx = -flip * event.wheel.preciseX;
      if (wheel.dx == 0 && wheel.dy == 0) return std::nullopt;
      return TranslatedEvent{wheel, modifiers_of(current_mod)};
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_LEAVE)
        return TranslatedEvent{PointerLeft{}, modifiers_of(current_mod)};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace vesk_ui::sdl
