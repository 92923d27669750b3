#pragma once
// The toolkit's input model: what the launcher delivers to widgets. Pointer positions are in
// physical pixels; widgets divide by the scale factor handed along with the event.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace vesk_ui {

// Named keys, numbered as the toolkit forwards them to widgets. Only these are delivered as
// named keys; every other key arrives as the text it produces. The space bar arrives as the
// text " " (widgets that take Space as a named key too may match either).
enum class NamedKey : std::uint16_t {
  Alt = 0,
  Control = 3,
  Shift = 8,
  Super = 13,
  Enter = 14,
  Tab = 15,
  Space = 16,
  ArrowDown = 17,
  ArrowLeft = 18,
  ArrowRight = 19,
  ArrowUp = 20,
  End = 21,
  Home = 22,
  PageDown = 23,
  PageUp = 24,
  Backspace = 25,
  Delete = 30,
  Insert = 33,
  Escape = 42,
};

struct Modifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool super = false;

  bool operator==(const Modifiers&) const = default;
};

// A named key, or the character text of any other key ("a", "A", " ", "é").
using LogicalKey = std::variant<NamedKey, std::string>;

enum class ElementState : std::uint8_t { Pressed, Released };

struct KeyEvent {
  LogicalKey key;
  ElementState state = ElementState::Pressed;
  // Set when the key went to an input method composition (or is an auto-repeat the window
  // chose to drop): widgets that honour it do nothing with the event.
  bool ignored = false;
};

// Committed text from the keyboard or an input method. Keys that produce text also arrive as a
// KeyEvent; text widgets insert from TextEvent only, so a character is never inserted twice.
struct TextEvent {
  std::string text;
};

// Input-method composition in progress (empty text ends it). cursor is a byte offset into text.
struct CompositionEvent {
  std::string text;
  std::size_t cursor = 0;
};

struct PointerMoved {
  double x = 0;
  double y = 0;
};

enum class PointerButtonKind : std::uint8_t { Primary = 0, Secondary = 1, Middle = 2 };

struct PointerButton {
  PointerButtonKind button = PointerButtonKind::Primary;
  ElementState state = ElementState::Pressed;
  // Clicks in quick succession at one place: 1 single, 2 double, 3 triple.
  std::uint8_t clicks = 1;
};

struct PointerLeft {};

// Lines (one line = 44 logical pixels for the window) or physical pixels.
struct WheelEvent {
  enum class Unit : std::uint8_t { Lines, Pixels };
  Unit unit = Unit::Lines;
  double dx = 0;
  double dy = 0;  // positive = content moves down (scroll towards the top)
};

using InputEvent = std::variant<KeyEvent, TextEvent, CompositionEvent, PointerMoved, PointerButton,
                                PointerLeft, WheelEvent>;

// An action that assistive technology or automation performs on an element by id.
// Kinds: 0 activate any element, 1 activate a text input, 2 activate any other element,
// 7 replace the text of a text input with `text`, 8 clear/commit the text input's edit.
struct SemanticAction {
  std::uint8_t kind = 0;
  std::optional<std::string> text;
};

}  // namespace vesk_ui
