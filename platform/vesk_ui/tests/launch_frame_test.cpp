#include "vesk_ui/launch_frame.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace probe_ns {

// Records the order in which the frame calls it; lays out a child widget on a node of its own.
class Window final : public vesk_ui::Widget {
 public:
  explicit Window(std::vector<std::string>& log) : log_(log) {}

  void sync(crdt::Document&) override { log_.push_back("sync"); }
  layout::NodeId build_layout(layout::LayoutTree& tree,
                              vesk_ui::WidgetRegistry& registry) override {
    log_.push_back("build_layout");
    layout::Style child_style;
    child_style.position = layout::Position::Absolute;
    child_style.inset.left = layout::Dimension::percent(0.5);
    child_style.inset.top = layout::Dimension::length(10);
    child_style.size = {layout::Dimension::length(40), layout::Dimension::length(30)};
    layout::NodeId child_node = tree.new_leaf(child_style);
    registry.register_widget(child_node, child);
    layout::Style style;
    style.size = {layout::Dimension::percent(1.0), layout::Dimension::percent(1.0)};
    layout::NodeId node = *tree.new_with_children(style, {child_node});
    registry.register_widget(node, *this);
    child_node_ = child_node;
    return node;
  }
  void apply_layout(const layout::LayoutTree& tree, layout::NodeId node,
                    vesk_ui::Point offset) override {
    log_.push_back("apply_layout");
    Widget::apply_layout(tree, node, offset);
    vesk_ui::Rect b = widget_bounds();
    child.apply_layout(tree, child_node_, {b.x0, b.y0});
  }
  void draw_with_presence(vesk_ui::Scene& scene, const vesk_ui::Rect& bounds,
                          vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                          vesk_ui::DrawCtx& ctx, const vesk_ui::PresenceCtx& presence,
                          const vesk_ui::PermissionContext& permissions) override {
    log_.push_back("draw_with_presence");
    Widget::draw_with_presence(scene, bounds, text, theme, ctx, presence, permissions);
  }
  void draw(vesk_ui::Scene&, const vesk_ui::Rect& bounds, vesk_ui::TextRenderer&,
            const vesk_ui::Theme&, vesk_ui::DrawCtx&) override {
    log_.push_back("draw");
    drawn = bounds;
  }
  bool needs_animation_frame() const override { return animating; }
  bool take_redraw_request() override { return std::exchange(redraw, false); }
  bool call_active() const override { return in_call; }

  class Child final : public vesk_ui::Widget {
   public:
    void draw(vesk_ui::Scene&, const vesk_ui::Rect&, vesk_ui::TextRenderer&, const vesk_ui::Theme&,
              vesk_ui::DrawCtx&) override {}
    bool needs_animation_frame() const override { return animating; }
    bool take_redraw_request() override {
      ++redraw_asked;
      return std::exchange(redraw, false);
    }
    bool animating = false;
    bool redraw = false;
    int redraw_asked = 0;
  };

  Child child;
  vesk_ui::Rect drawn;
  bool animating = false;
  bool redraw = false;
  bool in_call = false;

 private:
  std::vector<std::string>& log_;
  layout::NodeId child_node_ = 0;
};

}  // namespace probe_ns

namespace vesk_ui {
namespace {

struct Frame {
  crdt::Document doc;
  Scene scene{200, 100};
  TextRenderer text;
  Theme theme = Theme::dark();
  PresenceCtx presence;
  PermissionContext permissions = PermissionContext::permissive();
  FrameCycle cycle;

  FrameRequests run(Widget& root) {
    cycle.sync(root, doc);
    EXPECT_FALSE(cycle.layout(root, {200, 100}).has_value());
    DrawCtx ctx{Affine::identity(), 1.0, {}};
    cycle.draw(root, scene, text, theme, ctx, presence, permissions);
    return cycle.finish(root);
  }
};

TEST(FrameCycle, RunsTheWidgetsOperationsInFrameOrder) {
  std::vector<std::string> log;
  probe_ns::Window window(log);
  Frame frame;
  frame.run(window);
  EXPECT_EQ(log, (std::vector<std::string>{"sync", "build_layout", "apply_layout",
                                           "draw_with_presence", "draw"}));
  // The root spans the window; its child sits where its insets put it.
  EXPECT_DOUBLE_EQ(frame.cycle.root_rect().x1, 200);
  EXPECT_DOUBLE_EQ(frame.cycle.root_rect().y1, 100);
  EXPECT_DOUBLE_EQ(window.drawn.x1, 200);
  Rect child = window.child.widget_bounds();
  EXPECT_DOUBLE_EQ(child.x0, 100);
  EXPECT_DOUBLE_EQ(child.y0, 10);
  EXPECT_DOUBLE_EQ(child.x1, 140);
  EXPECT_DOUBLE_EQ(child.y1, 40);
}

TEST(FrameCycle, AnotherFrameFollowsWhenTheRootOrAChildAsks) {
  struct Case {
    const char* what;
    bool root_animating, root_redraw, in_call, child_animating, child_redraw;
    bool animation, redraw, call;
  };
  const Case cases[] = {
      {"nothing", false, false, false, false, false, false, false, false},
      {"root animates", true, false, false, false, false, true, false, false},
      {"root redraw", false, true, false, false, false, false, true, false},
      {"call", false, false, true, false, false, false, false, true},
      {"child animates", false, false, false, true, false, true, false, false},
      {"child redraw", false, false, false, false, true, false, true, false},
      {"both redraw", false, true, false, false, true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> log;
    probe_ns::Window window(log);
    window.animating = c.root_animating;
    window.redraw = c.root_redraw;
    window.in_call = c.in_call;
    window.child.animating = c.child_animating;
    window.child.redraw = c.child_redraw;
    Frame frame;
    FrameRequests got = frame.run(window);
    EXPECT_EQ(got.animation, c.animation);
    EXPECT_EQ(got.redraw, c.redraw);
    EXPECT_EQ(got.call, c.call);
    EXPECT_EQ(got.any(), c.animation || c.redraw || c.call);
    // Every redraw request is taken, even when another already asked; once taken it is gone.
    EXPECT_EQ(window.child.redraw_asked, 1);
    EXPECT_FALSE(window.redraw);
    EXPECT_FALSE(window.child.redraw);
    FrameRequests next = frame.run(window);
    EXPECT_FALSE(next.redraw);
  }
}

TEST(Widget, DefaultsNameTheTypeAndAnswerConservatively) {
  std::vector<std::string> log;
  probe_ns::Window window(log);
  EXPECT_EQ(window.type_name(), "probe_ns::Window");
  EXPECT_EQ(window.short_type_name(), "Window");
  EXPECT_EQ(window.child.type_name(), "probe_ns::Window::Child");
  EXPECT_EQ(window.child.short_type_name(), "Child");

  Widget& child = window.child;
  crdt::Document doc;
  MemoryClipboard clipboard;
  ToolkitCtx ctx{clipboard, {}};
  bool handled = false;
  child.handle_event(KeyEvent{NamedKey::Enter}, {}, doc, 1.0, ctx, handled);
  EXPECT_FALSE(handled);
  EXPECT_FALSE(child.perform_semantic_action("x", {}, doc, ctx));
  EXPECT_FALSE(child.has_open_popup());
  EXPECT_FALSE(child.popup_rect().has_value());
  EXPECT_FALSE(child.is_dragging_surface());
  EXPECT_FALSE(child.call_active());
  EXPECT_TRUE(child.operation_namespaces().empty());
  std::size_t path[] = {0};
  EXPECT_FALSE(child.synthetic_accessibility_rect(path).has_value());
  EXPECT_FALSE(child.focus_synthetic_accessibility(path));
  AccessNode node = child.accessibility();
  EXPECT_EQ(node.text, "Child");
  EXPECT_TRUE(node.children.empty());
  EXPECT_EQ(doc.length(crdt::ROOT), 0u) << "defaults write nothing";
}

}  // namespace
}  // namespace vesk_ui
