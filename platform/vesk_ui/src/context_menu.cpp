#include "vesk_ui/context_menu.hpp"

#include <algorithm>
#include <charconv>
#include <variant>

namespace vesk_ui {

namespace {

constexpr std::uint8_t kActivateAny = 0;
constexpr std::uint8_t kActivateOther = 2;

// Stable accessibility keys: the 64-bit FNV-1a hash of the id's bytes and a closing 0xff.
std::uint64_t node_key(std::string_view id) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  auto mix = [&](unsigned char byte) {
    hash ^= byte;
    hash *= 0x100000001b3ULL;
  };
  for (char c : id) mix(static_cast<unsigned char>(c));
  mix(0xff);
  return hash;
}

double menu_height(std::size_t items) {
  return 2 * ContextMenu::kPadding + static_cast<double>(items) * ContextMenu::kItemHeight;
}

}  // namespace

void ContextMenu::open_at(float x, float y) {
  open_ = true;
  origin_ = {x, y};
  pointer_ = {x, y};
  highlighted_.reset();
}

void ContextMenu::open_at_clamped(float x, float y, const Rect& bounds) {
  open_at(x, y);
  double w = kWidth;
  double h = menu_height(items_.size());
  origin_.x = std::max(std::min(origin_.x, bounds.x1 - w), bounds.x0);
  origin_.y = std::max(std::min(origin_.y, bounds.y1 - h), bounds.y0);
}

void ContextMenu::close() {
  open_ = false;
  highlighted_.reset();
}

std::optional<Rect> ContextMenu::rect() const {
  if (!open_) return std::nullopt;
  return Rect{origin_.x, origin_.y, origin_.x + kWidth, origin_.y + menu_height(items_.size())};
}

std::optional<Rect> ContextMenu::item_rect(std::size_t index) const {
  if (!open_ || index >= items_.size()) return std::nullopt;
  double top = origin_.y + kPadding + static_cast<double>(index) * kItemHeight;
  return Rect{origin_.x + kPadding, top, origin_.x + kWidth - kPadding, top + kItemHeight};
}

std::optional<std::size_t> ContextMenu::item_at(Point p) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (item_rect(i)->contains(p)) return i;
  }
  return std::nullopt;
}

std::string ContextMenu::item_element_id(std::size_t index) {
  return std::string(kItemIdPrefix) + std::to_string(index);
}

ContextMenuResponse ContextMenu::choose(std::size_t index) {
  close();
  return {true, index, false};
}

void ContextMenu::step(int direction) {
  if (items_.empty()) return;
  std::size_t n = items_.size();
  if (!highlighted_) {
    highlighted_ = direction > 0 ? 0 : n - 1;
  } else {
    highlighted_ = direction > 0 ? (*highlighted_ + 1) % n : (*highlighted_ + n - 1) % n;
  }
}

ContextMenuResponse ContextMenu::handle_event(const InputEvent& event, double scale_factor) {
  if (!open_) return reply(false);
  if (const auto* key = std::get_if<KeyEvent>(&event)) return handle_key(*key);
  if (const auto* moved = std::get_if<PointerMoved>(&event)) {
    return handle_pointer_move(*moved, scale_factor);
  }
  if (const auto* button = std::get_if<PointerButton>(&event)) return handle_button(*button);
  return reply(false);
}

ContextMenuResponse ContextMenu::handle_key(const KeyEvent& key) {
  if (key.ignored || key.state != ElementState::Pressed) return reply(false);
  const auto* named = std::get_if<NamedKey>(&key.key);
  const auto* chars = std::get_if<std::string>(&key.key);
  bool activates = (named && (*named == NamedKey::Enter || *named == NamedKey::Space)) ||
                   (chars && *chars == " ");
  if (activates) {
    if (highlighted_) return choose(*highlighted_);
    return reply(true);
  }
  if (!named) return reply(false);
  switch (*named) {
    case NamedKey::ArrowDown:
      step(1);
      return reply(true);
    case NamedKey::ArrowUp:
      step(-1);
      return reply(true);
    case NamedKey::Home:
      if (!items_.empty()) highlighted_ = 0;
      return reply(true);
    case NamedKey::End:
      if (!items_.empty()) highlighted_ = items_.size() - 1;
      return reply(true);
    case NamedKey::Escape:
      close();
      return reply(true);
    default:
      return reply(false);
  }
}

ContextMenuResponse ContextMenu::handle_pointer_move(const PointerMoved& moved,
                                                     double scale_factor) {
  double scale = scale_factor > 0 ? scale_factor : 1.0;
  pointer_ = {moved.x / scale, moved.y / scale};
  bool inside = rect()->contains(pointer_);
  if (inside) highlighted_ = item_at(pointer_);
  return reply(inside);
}

ContextMenuResponse ContextMenu::handle_button(const PointerButton& button) {
  bool inside = rect()->contains(pointer_);
  if (!inside) {
    // A press elsewhere dismisses the menu but stays the owner's to handle.
    if (button.state == ElementState::Pressed) close();
    return reply(false);
  }
  if (button.button == PointerButtonKind::Primary && button.state == ElementState::Pressed) {
    if (std::optional<std::size_t> item = item_at(pointer_)) return choose(*item);
  }
  return reply(true);
}

ContextMenuResponse ContextMenu::perform_semantic_action(std::string_view element_id,
                                                         const SemanticAction& action) {
  if (!open_ || !element_id.starts_with(kItemIdPrefix)) return reply(false);
  std::string_view digits = element_id.substr(kItemIdPrefix.size());
  std::size_t index = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      index >= items_.size()) {
    return reply(false);
  }
  if (action.kind != kActivateAny && action.kind != kActivateOther) return reply(false);
  return choose(index);
}

std::optional<AccessNode> ContextMenu::accessibility() const {
  if (!open_) return std::nullopt;
  AccessNode menu;
  menu.text = "Context menu";
  menu.role = access_role::kMenu;
  menu.bounds = *rect();
  menu.key = node_key("context-menu");
  for (std::size_t i = 0; i < items_.size(); ++i) {
    AccessNode item;
    item.text = items_[i].label;
    item.role = access_role::kMenuItem;
    item.focused = highlighted_ == i;
    item.bounds = *item_rect(i);
    item.key = node_key(item_element_id(i));
    menu.children.push_back(std::move(item));
  }
  return menu;
}

}  // namespace vesk_ui
