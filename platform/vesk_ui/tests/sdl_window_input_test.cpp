#include <gtest/gtest.h>

#include <cstring>

#include "vesk_ui/sdl_input.hpp"

namespace vesk_ui::sdl {
namespace {

SDL_Event key_event(Uint32 type, SDL_Keycode code, Uint16 mod = KMOD_NONE) {
  SDL_Event e{};
  e.type = type;
  e.key.keysym.sym = code;
  e.key.keysym.mod = mod;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  return e;
}

SDL_Event text_event(Uint32 type, const char* text, int start = 0) {
  SDL_Event e{};
  e.type = type;
  if (type == SDL_TEXTINPUT) {
    std::strncpy(e.text.text, text, sizeof e.text.text - 1);
  } else {
    std::strncpy(e.edit.text, text, sizeof e.edit.text - 1);
    e.edit.start = start;
  }
  return e;
}

TEST(SdlInput, KeysBecomeNamedKeysOrTheirCharacter) {
  struct Case {
    SDL_Keycode code;
    Uint16 mod;
    LogicalKey want;
  };
  const Case cases[] = {
      {SDLK_RETURN, KMOD_NONE, NamedKey::Enter},
      {SDLK_KP_ENTER, KMOD_NONE, NamedKey::Enter},
      {SDLK_TAB, KMOD_LSHIFT, NamedKey::Tab},
      {SDLK_UP, KMOD_NONE, NamedKey::ArrowUp},
      {SDLK_END, KMOD_RCTRL, NamedKey::End},
      {SDLK_ESCAPE, KMOD_NONE, NamedKey::Escape},
      {SDLK_BACKSPACE, KMOD_NONE, NamedKey::Backspace},
      {SDLK_DELETE, KMOD_NONE, NamedKey::Delete},
      {SDLK_HOME, KMOD_NONE, NamedKey::Home},
      {SDLK_PAGEDOWN, KMOD_NONE, NamedKey::PageDown},
      {SDLK_LCTRL, KMOD_LCTRL, NamedKey::Control},
      {SDLK_RSHIFT, KMOD_RSHIFT, NamedKey::Shift},
      {SDLK_a, KMOD_NONE, std::string("a")},
      {SDLK_a, KMOD_LSHIFT, std::string("A")},
      {SDLK_a, KMOD_CAPS, std::string("A")},
      {SDLK_a, KMOD_CAPS | KMOD_RSHIFT, std::string("a")},
      {SDLK_c, KMOD_LCTRL, std::string("c")},
      {SDLK_SPACE, KMOD_NONE, std::string(" ")},
      {SDLK_1, KMOD_NONE, std::string("1")},
      {0xE9, KMOD_NONE, std::string("\xC3\xA9")},        // é on layouts that have the key
      {0x20AC, KMOD_NONE, std::string("\xE2\x82\xAC")},  // €
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EventTranslator translator;
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      auto got = translator.translate(key_event(type, c.code, c.mod), 1.0, KMOD_NONE);
      ASSERT_TRUE(got.has_value());
      const KeyEvent* key = std::get_if<KeyEvent>(&got->event);
      ASSERT_NE(key, nullptr);
      EXPECT_EQ(key->key, c.want);
      EXPECT_EQ(key->state, type == SDL_KEYDOWN ? ElementState::Pressed : ElementState::Released);
      EXPECT_FALSE(key->ignored);
      EXPECT_EQ(got->modifiers, modifiers_of(c.mod));
    }
  }
}

TEST(SdlInput, KeysWithoutACharacterOrNameAreNotDelivered) {
  for (SDL_Keycode code : {SDLK_F1, SDLK_F12, SDLK_PRINTSCREEN, SDLK_CAPSLOCK, SDLK_VOLUMEUP}) {
    EventTranslator translator;
    EXPECT_FALSE(translator.translate(key_event(SDL_KEYDOWN, code), 1.0, KMOD_NONE).has_value())
        << code;
  }
}

TEST(SdlInput, ModifiersReadEitherSide) {
  struct Case {
    Uint16 mod;
    Modifiers want;
  };
  const Case cases[] = {
      {KMOD_NONE, {}},
      {KMOD_LSHIFT, {true, false, false, false}},
      {KMOD_RSHIFT | KMOD_LCTRL, {true, true, false, false}},
      {KMOD_RALT, {false, false, true, false}},
      {KMOD_LGUI | KMOD_NUM, {false, false, false, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(modifiers_of(c.mod), c.want) << c.mod;
}

TEST(SdlInput, CompositionMarksKeysIgnoredUntilTheTextIsCommitted) {
  EventTranslator translator;
  // "にほ" with the cursor after the first character: 3 bytes in.
  auto editing = translator.translate(text_event(SDL_TEXTEDITING, "\xE3\x81\xAB\xE3\x81\xBB", 1),
                                      1.0, KMOD_NONE);
  ASSERT_TRUE(editing.has_value());
  const auto* composition = std::get_if<CompositionEvent>(&editing->event);
  ASSERT_NE(composition, nullptr);
  EXPECT_EQ(composition->text, "\xE3\x81\xAB\xE3\x81\xBB");
  EXPECT_EQ(composition->cursor, 3u);
  EXPECT_TRUE(translator.composing());

  auto key = translator.translate(key_event(SDL_KEYDOWN, SDLK_RETURN), 1.0, KMOD_NONE);
  ASSERT_TRUE(key.has_value());
  EXPECT_TRUE(std::get<KeyEvent>(key->event).ignored);

  auto committed = translator.translate(text_event(SDL_TEXTINPUT, "\xE6\x97\xA5"), 1.0, KMOD_NONE);
  ASSERT_TRUE(committed.has_value());
  EXPECT_EQ(std::get<TextEvent>(committed->event).text, "\xE6\x97\xA5");
  EXPECT_FALSE(translator.composing());
  key = translator.translate(key_event(SDL_KEYDOWN, SDLK_RETURN), 1.0, KMOD_NONE);
  EXPECT_FALSE(std::get<KeyEvent>(key->event).ignored);

  // An empty composition ends it too; a cursor past the end lands at the end.
  translator.translate(text_event(SDL_TEXTEDITING, "ab", 9), 1.0, KMOD_NONE);
  EXPECT_TRUE(translator.composing());
  auto ended = translator.translate(text_event(SDL_TEXTEDITING, ""), 1.0, KMOD_NONE);
  ASSERT_TRUE(ended.has_value());
  EXPECT_EQ(std::get<CompositionEvent>(ended->event).text, "");
  EXPECT_FALSE(translator.composing());
  auto past = translator.translate(text_event(SDL_TEXTEDITING, "ab", 9), 1.0, KMOD_NONE);
  EXPECT_EQ(std::get<CompositionEvent>(past->event).cursor, 2u);
}

TEST(SdlInput, TextInputCarriesTheCurrentModifiers) {
  EventTranslator translator;
  auto got = translator.translate(text_event(SDL_TEXTINPUT, "A"), 1.0, KMOD_LSHIFT);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(std::get<TextEvent>(got->event).text, "A");
  EXPECT_TRUE(got->modifiers.shift);
  EXPECT_FALSE(translator.translate(text_event(SDL_TEXTINPUT, ""), 1.0, KMOD_NONE).has_value());
}

TEST(SdlInput, PointerPositionsArePhysicalPixels) {
  struct Case {
    int x, y;
    double scale;
    double want_x, want_y;
  };
  const Case cases[] = {{10, 20, 1.0, 10, 20}, {10, 20, 2.0, 20, 40}, {3, 7, 1.5, 4.5, 10.5}};
  for (const Case& c : cases) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = c.x;
    e.motion.y = c.y;
    EventTranslator translator;
    auto got = translator.translate(e, c.scale, KMOD_LCTRL);
    ASSERT_TRUE(got.has_value());
    const auto* moved = std::get_if<PointerMoved>(&got->event);
    ASSERT_NE(moved, nullptr);
    EXPECT_DOUBLE_EQ(moved->x, c.want_x);
    EXPECT_DOUBLE_EQ(moved->y, c.want_y);
    EXPECT_TRUE(got->modifiers.control);
  }
}

TEST(SdlInput, ButtonsAndClickCounts) {
  struct Case {
    Uint32 type;
    Uint8 button;
    Uint8 clicks;
    std::optional<PointerButton> want;
  };
  const Case cases[] = {
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1,
       PointerButton{PointerButtonKind::Primary, ElementState::Pressed, 1}},
      {SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1,
       PointerButton{PointerButtonKind::Primary, ElementState::Released, 1}},
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1,
       PointerButton{PointerButtonKind::Secondary, ElementState::Pressed, 1}},
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1,
       PointerButton{PointerButtonKind::Middle, ElementState::Pressed, 1}},
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2,
       PointerButton{PointerButtonKind::Primary, ElementState::Pressed, 2}},
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 7,
       PointerButton{PointerButtonKind::Primary, ElementState::Pressed, 3}},
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, std::nullopt},
  };
  for (const Case& c : cases) {
    SDL_Event e{};
    e.type = c.type;
    e.button.button = c.button;
    e.button.clicks = c.clicks;
    EventTranslator translator;
    auto got = translator.translate(e, 1.0, KMOD_NONE);
    ASSERT_EQ(got.has_value(), c.want.has_value()) << int(c.button);
    if (!got) continue;
    const auto* b = std::get_if<PointerButton>(&got->event);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->button, c.want->button);
    EXPECT_EQ(b->state, c.want->state);
    EXPECT_EQ(b->clicks, c.want->clicks);
  }
}

TEST(SdlInput, WheelNotchesAreLinesThatMoveTheContent) {
  struct Case {
    float x, y;
    Uint32 direction;
    double want_dx, want_dy;
  };
  const Case cases[] = {
      {0, 1, SDL_MOUSEWHEEL_NORMAL, 0, 1},  // away from the user: content moves down
      {0, -3, SDL_MOUSEWHEEL_NORMAL, 0, -3},      {0, 1, SDL_MOUSEWHEEL_FLIPPED, 0, -1},
      {2, 0, SDL_MOUSEWHEEL_NORMAL, -2, 0},  // to the right: content moves left
      {0, 0.25f, SDL_MOUSEWHEEL_NORMAL, 0, 0.25},
  };
  for (const Case& c : cases) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.preciseX = c.x;
    e.wheel.preciseY = c.y;
    e.wheel.direction = c.direction;
    EventTranslator translator;
    auto got = translator.translate(e, 2.0, KMOD_NONE);
    ASSERT_TRUE(got.has_value());
    const auto* w = std::get_if<WheelEvent>(&got->event);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->unit, WheelEvent::Unit::Lines);
    EXPECT_DOUBLE_EQ(w->dx, c.want_dx);
    EXPECT_DOUBLE_EQ(w->dy, c.want_dy);
  }
  SDL_Event still{};
  still.type = SDL_MOUSEWHEEL;
  EventTranslator translator;
  EXPECT_FALSE(translator.translate(still, 1.0, KMOD_NONE).has_value());
}

TEST(SdlInput, LeavingTheWindowIsDeliveredOtherWindowEventsAreNot) {
  EventTranslator translator;
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_LEAVE;
  auto got = translator.translate(e, 1.0, KMOD_NONE);
  ASSERT_TRUE(got.has_value());
  EXPECT_TRUE(std::holds_alternative<PointerLeft>(got->event));
  e.window.event = SDL_WINDOWEVENT_RESIZED;
  EXPECT_FALSE(translator.translate(e, 1.0, KMOD_NONE).has_value());
}

}  // namespace
}  // namespace vesk_ui::sdl
