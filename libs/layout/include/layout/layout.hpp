#pragma once
// A small layout tree: nodes with a size and insets that are lengths, fractions of the parent
// or automatic, placed relatively (in flow, one after another down the parent) or absolutely
// (by their insets inside the parent). Enough for a window and the few children it places.

#include <cstddef>
#include <optional>
#include <vector>

namespace layout {

struct Dimension {
  enum class Kind { Auto, Length, Percent };
  Kind kind = Kind::Auto;
  double value = 0.0;  // pixels for Length, fraction (1.0 = 100 %) for Percent

  static constexpr Dimension automatic() { return {}; }
  static constexpr Dimension length(double px) { return {Kind::Length, px}; }
  static constexpr Dimension percent(double fraction) { return {Kind::Percent, fraction}; }

  // Resolved against the parent's extent; none when automatic.
  std::optional<double> resolve(double parent_extent) const;
};

struct Size2 {
  Dimension width;
  Dimension height;
};

struct Insets {
  Dimension left, top, right, bottom;
};

enum class Position { Relative, Absolute };

struct Style {
  Position position = Position::Relative;
  Size2 size;
  Size2 min_size;
  Size2 max_size;
  Insets inset;
};

struct Point {
  double x = 0, y = 0;
};
struct Extent {
  double width = 0, height = 0;
};

struct Layout {
  Point location;  // relative to the parent's top-left corner
  Extent size;
};

using NodeId = std::size_t;

class LayoutTree {
 public:
  NodeId new_leaf(const Style& style);
  // None when a child is unknown or already has a parent.
  std::optional<NodeId> new_with_children(const Style& style, const std::vector<NodeId>& children);

  // Lays out the tree under root within the available space. Automatic sizes: a relative node
  // stretches to its parent's width and is as tall as its relative children stacked; an
  // absolute node spans between its left and right (top and bottom) insets when both are set,
  // else has no extent. Min and max sizes clamp the result.
  void compute_layout(NodeId root, Extent available);

  // The computed layout, or none for an unknown node or one not laid out yet.
  std::optional<Layout> layout(NodeId node) const;

  bool has_node(NodeId node) const { return node < nodes_.size(); }
  const Style& style(NodeId node) const { return nodes_.at(node).style; }
  void set_style(NodeId node, const Style& style) { nodes_.at(node).style = style; }
  void clear() { nodes_.clear(); }

 private:
  struct Node {
    Style style;
    std::vector<NodeId> children;
    std::optional<Layout> computed;
  };
  // Lays out node inside a parent of the given extent; returns the node's height for flow.
  double place(NodeId node, Extent parent, double flow_y);
  bool has_parent(NodeId node) const;

  std::vector<Node> nodes_;
};

}  // namespace layout
