#include "layout/layout.hpp"

#include <algorithm>

namespace layout {
namespace {

double clamp_to(double value, const Dimension& min, const Dimension& max, double parent) {
  if (auto hi = max.resolve(parent)) value = std::min(value, *hi);
  if (auto lo = min.resolve(parent)) value = std::max(value, *lo);
  return std::max(value, 0.0);
}

// Extent along one axis for an absolutely placed node.
double absolute_extent(const Dimension& size, const Dimension& start, const Dimension& end,
                       double parent) {
  if (auto v = size.resolve(parent)) return *v;
  auto a = start.resolve(parent);
  auto b = end.resolve(parent);
  if (a && b) return parent - *a - *b;
  return 0.0;
}

double absolute_offset(const Dimension& start, const Dimension& end, double extent, double parent) {
  if (auto a = start.resolve(parent)) return *a;
  if (auto b = end.resolve(parent)) return parent - *b - extent;
  return 0.0;
}

}  // namespace

std::optional<double> Dimension::resolve(double parent_extent) const {
  switch (kind) {
    case Kind::Length:
      return value;
    case Kind::Percent:
      return value * parent_extent;
    case Kind::Auto:
      break;
  }
  return std::nullopt;
}

NodeId LayoutTree::new_leaf(const Style& style) {
  nodes_.push_back({style, {}, std::nullopt});
  return nodes_.size() - 1;
}

bool LayoutTree::has_parent(NodeId node) const {
  return std::any_of(nodes_.begin(), nodes_.end(), [&](const Node& n) {
    return std::find(n.children.begin(), n.children.end(), node) != n.children.end();
  });
}

std::optional<NodeId> LayoutTree::new_with_children(const Style& style,
                                                    const std::vector<NodeId>& children) {
  for (std::size_t i = 0; i < children.size(); ++i) {
    const NodeId child = children[i];
    if (!has_node(child) || has_parent(child)) return std::nullopt;
    if (std::find(children.begin(), children.begin() + i, child) != children.begin() + i) {
      return std::nullopt;
    }
  }
  nodes_.push_back({style, children, std::nullopt});
  return nodes_.size() - 1;
}

void LayoutTree::compute_layout(NodeId root, Extent available) {
  if (!has_node(root)) return;
  place(root, available, 0.0);
}

double LayoutTree::place(NodeId id, Extent parent, double flow_y) {
  const Style style = nodes_[id].style;
  Layout out;
  if (style.position == Position::Absolute) {
    out.size.width =
        absolute_extent(style.size.width, style.inset.left, style.inset.right, parent.width);
    out.size.height =
        absolute_extent(style.size.height, style.inset.top, style.inset.bottom, parent.height);
  } else {
    out.size.width = style.size.width.resolve(parent.width).value_or(parent.width);
    out.size.height = style.size.height.resolve(parent.height).value_or(-1.0);
  }
  out.size.width =
      clamp_to(out.size.width, style.min_size.width, style.max_size.width, parent.width);

  // Children are laid out against this node's width; an automatic height waits for them.
  const bool auto_height = out.size.height < 0.0;
  Extent inner{out.size.width, auto_height ? 0.0 : out.size.height};
  double stacked = 0.0;
  for (NodeId child : nodes_[id].children) {
    if (nodes_[child].style.position == Position::Relative) {
      stacked += place(child, inner, stacked);
    }
  }
  if (auto_height) out.size.height = stacked;
  out.size.height =
      clamp_to(out.size.height, style.min_size.height, style.max_size.height, parent.height);
  inner.height = out.size.height;
  for (NodeId child : nodes_[id].children) {
    if (nodes_[child].style.position == Position::Absolute) place(child, inner, 0.0);
  }

  if (style.position == Position::Absolute) {
    out.location.x =
        absolute_offset(style.inset.left, style.inset.right, out.size.width, parent.width);
    out.location.y =
        absolute_offset(style.inset.top, style.inset.bottom, out.size.height, parent.height);
  } else {
    out.location.x = style.inset.left.resolve(parent.width).value_or(0.0);
    out.location.y = flow_y + style.inset.top.resolve(parent.height).value_or(0.0);
  }
  nodes_[id].computed = out;
  return out.size.height;
}

std::optional<Layout> LayoutTree::layout(NodeId node) const {
  if (!has_node(node)) return std::nullopt;
  return nodes_[node].computed;
}

}  // namespace layout
