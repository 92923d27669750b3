#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vesk_ui/access.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/input.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/text_renderer.hpp"
#include "vesk_ui/theme.hpp"
#include "vesk_ui/widget.hpp"

namespace vesk_ui {

struct ContextMenuItem {
  static constexpr std::uint8_t kFreshCode = 0xff;

  std::string label;
  // Drawn in the danger colour: the command destroys something.
  bool destructive = false;
  // A one-byte visual code the owner gives the item; kFreshCode until it does.
  std::uint8_t code = kFreshCode;

  static ContextMenuItem plain(std::string label) { return {std::move(label), false}; }
  static ContextMenuItem destructive_item(std::string label) { return {std::move(label), true}; }
};

// What the menu made of an event or an action.
struct ContextMenuResponse {
  bool consumed = false;              // the event belonged to the menu
  std::optional<std::size_t> chosen;  // the item the user picked (the menu then closes)
  bool open = false;                  // whether the menu is still open
};

// A popup list of commands. It opens at a point, highlights items under the pointer or with
// Up/Down, reports the item picked by a click, Enter or an accessibility action, and closes on
// a pick, Escape or a press outside it. Sizes are fixed (long labels are clipped), so its
// rectangle is known as soon as it opens, before any drawing.
class ContextMenu {
 public:
  static constexpr std::string_view kItemIdPrefix = "context-menu:item:";
  static constexpr double kWidth = 220;
  static constexpr double kItemHeight = 30;
  static constexpr double kPadding = 6;

  ContextMenu() = default;
  explicit ContextMenu(std::vector<ContextMenuItem> items) : items_(std::move(items)) {}

  void add_item(ContextMenuItem item) { items_.push_back(std::move(item)); }
  const std::vector<ContextMenuItem>& items() const { return items_; }
  std::vector<ContextMenuItem>& items() { return items_; }

  // Opens with its top-left corner at (x, y), nothing highlighted.
  void open_at(float x, float y);
  // Opens at (x, y), moved left and up as far as needed to stay inside `bounds` (to the
  // bounds' top-left corner when it is larger than them).
  void open_at_clamped(float x, float y, const Rect& bounds);
  void close();
  bool is_open() const { return open_; }
  // Where the open menu lies; none while closed.
  std::optional<Rect> rect() const;
  std::optional<Rect> item_rect(std::size_t index) const;
  std::optional<std::size_t> highlighted() const { return highlighted_; }

  // Pointer positions arrive in physical pixels and are divided by `scale_factor`.
  ContextMenuResponse handle_event(const InputEvent& event, double scale_factor = 1.0);
  // An action on one of its items, addressed by item_element_id. Kinds 0 and 2 (activate)
  // pick the item; anything else, another id or a closed menu is not performed.
  ContextMenuResponse perform_semantic_action(std::string_view element_id,
                                              const SemanticAction& action);
  static std::string item_element_id(std::size_t index);

  // Paints the open menu over `bounds` (and nothing outside them) under the context's transform.
  void draw(Scene& scene, const Rect& bounds, TextRenderer& text, const Theme& theme,
            const DrawCtx& ctx) const;
  // The menu and its items while open; none while closed.
  std::optional<AccessNode> accessibility() const;

 private:
  ContextMenuResponse handle_key(const KeyEvent& key);
  ContextMenuResponse handle_pointer_move(const PointerMoved& moved, double scale_factor);
  ContextMenuResponse handle_button(const PointerButton& button);
  ContextMenuResponse choose(std::size_t index);
  ContextMenuResponse reply(bool consumed) const { return {consumed, std::nullopt, open_}; }
  std::optional<std::size_t> item_at(Point p) const;
  void step(int direction);

  std::vector<ContextMenuItem> items_;
  bool open_ = false;
  Point origin_;
  std::optional<std::size_t> highlighted_;
  Point pointer_;  // logical pixels; the opening point until the pointer moves
};

}  // namespace vesk_ui
