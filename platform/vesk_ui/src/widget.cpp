#include "vesk_ui/widget.hpp"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace vesk_ui {

void WidgetRegistry::register_widget(layout::NodeId node, Widget& widget) {
  for (auto& entry : entries_) {
    if (entry.first == node) {
      entry.second = &widget;
      return;
    }
  }
  entries_.emplace_back(node, &widget);
}

Widget* WidgetRegistry::widget_at(layout::NodeId node) const {
  for (const auto& entry : entries_)
    if (entry.first == node) return entry.second;
  return nullptr;
}

std::string Widget::type_name() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  return status == 0 && demangled ? std::string(demangled.get()) : std::string(mangled);
}

std::string Widget::short_type_name() const {
  std::string full = type_name();
  // Template arguments may hold "::" too; the short name ends before them.
  std::size_t end = full.find('<');
  std::size_t cut = full.rfind("::", end == std::string::npos ? std::string::npos : end);
  return cut == std::string::npos ? full : full.substr(cut + 2);
}

void Widget::sync(crdt::Document&) {}

layout::NodeId Widget::build_layout(layout::LayoutTree& tree, WidgetRegistry& registry) {
  layout::Style style;
  style.size = {layout::Dimension::percent(1.0), layout::Dimension::percent(1.0)};
  layout::NodeId node = tree.new_leaf(style);
  registry.register_widget(node, *this);
  return node;
}

void Widget::apply_layout(const layout::LayoutTree& tree, layout::NodeId node,
                          Point parent_offset) {
  std::optional<layout::Layout> computed = tree.layout(node);
  if (!computed) return;
  double x0 = parent_offset.x + computed->location.x;
  double y0 = parent_offset.y + computed->location.y;
  bounds_ = {x0, y0, x0 + computed->size.width, y0 + computed->size.height};
}

void Widget::draw_with_presence(Scene& scene, const Rect& bounds, TextRenderer& text,
                                const Theme& theme, DrawCtx& ctx, const PresenceCtx&,
                                const PermissionContext&) {
  draw(scene, bounds, text, theme, ctx);
}

void Widget::handle_event(const InputEvent&, const Modifiers&, crdt::Document&, double, ToolkitCtx&,
                          bool&) {}

bool Widget::perform_semantic_action(std::string_view, const SemanticAction&, crdt::Document&,
                                     ToolkitCtx&) {
  return false;
}

AccessNode Widget::accessibility() const {
  AccessNode node;
  node.text = short_type_name();
  node.role = 0;  // no role of its own: a plain container
  node.bounds = widget_bounds();
  return node;
}

std::optional<Rect> Widget::synthetic_accessibility_rect(std::span<const std::size_t>) const {
  return std::nullopt;
}

bool Widget::focus_synthetic_accessibility(std::span<const std::size_t>) {
  return false;
}

std::vector<std::string> Widget::operation_namespaces() const {
  return {};
}

Rect Widget::widget_bounds() const {
  return bounds_;
}

bool Widget::has_open_popup() const {
  return false;
}

std::optional<Rect> Widget::popup_rect() const {
  return std::nullopt;
}

bool Widget::is_dragging_surface() const {
  return false;
}

bool Widget::needs_animation_frame() const {
  return false;
}

bool Widget::take_redraw_request() {
  return false;
}

bool Widget::call_active() const {
  return false;
}

}  // namespace vesk_ui
