#include "vesk_ui/context_menu.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace vesk_ui {
namespace {

ContextMenu menu_of_three() {
  ContextMenu menu({ContextMenuItem::destructive_item("Delete"),
                    ContextMenuItem::plain("Archive / unarchive"),
                    ContextMenuItem::plain("Rename")});
  menu.items()[0].code = 0x4e;
  return menu;
}

InputEvent press_key(NamedKey k) {
  return KeyEvent{k};
}
InputEvent click(PointerButtonKind button = PointerButtonKind::Primary,
                 ElementState state = ElementState::Pressed) {
  return PointerButton{button, state};
}

TEST(ContextMenuItems, CarryLabelDestructiveFlagAndAFreshCodeUntilGivenOne) {
  ContextMenu menu = menu_of_three();
  ASSERT_EQ(menu.items().size(), 3u);
  EXPECT_EQ(menu.items()[0].label, "Delete");
  EXPECT_TRUE(menu.items()[0].destructive);
  EXPECT_EQ(menu.items()[0].code, 0x4e);
  EXPECT_FALSE(menu.items()[1].destructive);
  EXPECT_EQ(menu.items()[1].code, ContextMenuItem::kFreshCode);
  EXPECT_EQ(ContextMenuItem::kFreshCode, 0xff);
  menu.add_item(ContextMenuItem::plain("Move up"));
  EXPECT_EQ(menu.items().back().label, "Move up");
  // A menu that was never opened is closed and has no rectangle or node.
  EXPECT_FALSE(menu.is_open());
  EXPECT_EQ(menu.rect(), std::nullopt);
  EXPECT_EQ(menu.accessibility(), std::nullopt);
}

TEST(ContextMenuPlacement, OpensAtThePointAndIsKeptInsideTheBounds) {
  const Rect window{0, 0, 1280, 800};
  ContextMenu probe = menu_of_three();
  probe.open_at(0, 0);
  const double w = probe.rect()->width(), h = probe.rect()->height();
  ASSERT_GT(w, 100);
  ASSERT_GT(h, 3 * 20);
  struct Case {
    const char* name;
    float x, y;
    Rect bounds;
    double want_x0, want_y0;
  };
  for (const Case& c : std::vector<Case>{
           {"inside", 100, 120, window, 100, 120},
           {"right edge", 1270, 120, window, 1280 - w, 120},
           {"bottom edge", 300, 790, window, 300, 800 - h},
           {"corner", 1279, 799, window, 1280 - w, 800 - h},
           {"left of offset bounds", 10, 10, {50, 40, 600, 500}, 50, 40},
           {"bounds smaller than the menu", 90, 90, {60, 70, 100, 100}, 60, 70},
           {"exactly fitting", static_cast<float>(1280 - w), static_cast<float>(800 - h), window,
            1280 - w, 800 - h},
       }) {
    SCOPED_TRACE(c.name);
    ContextMenu menu = menu_of_three();
    menu.open_at_clamped(c.x, c.y, c.bounds);
    ASSERT_TRUE(menu.is_open());
    Rect r = *menu.rect();
    EXPECT_NEAR(r.x0, c.want_x0, 1e-3);
    EXPECT_NEAR(r.y0, c.want_y0, 1e-3);
    EXPECT_NEAR(r.width(), w, 1e-9);
    EXPECT_NEAR(r.height(), h, 1e-9);
  }
  // open_at keeps the point even where the menu runs out of the window.
  ContextMenu menu = menu_of_three();
  menu.open_at(1270, 790);
  EXPECT_EQ(menu.rect()->x0, 1270);
  EXPECT_EQ(menu.rect()->y0, 790);
  // Items stack inside the menu, in order, without overlapping.
  for (std::size_t i = 0; i < 3; ++i) {
    Rect item = *menu.item_rect(i);
    EXPECT_GE(item.x0, menu.rect()->x0);
    EXPECT_LE(item.y1, menu.rect()->y1);
    if (i > 0) {
      EXPECT_GE(item.y0, menu.item_rect(i - 1)->y1);
    }
  }
  EXPECT_EQ(menu.item_rect(3), std::nullopt);
}

struct KeyCase {
  const char* name;
  std::vector<NamedKey> keys;
  std::optional<std::size_t> chosen;
  bool open;
  std::optional<std::size_t> highlighted;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
  *os << c.name;
}

class ContextMenuKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ContextMenuKeys, MoveTheHighlightChooseAndClose) {
  const KeyCase& c = GetParam();
  ContextMenu menu = menu_of_three();
  menu.open_at(10, 10);
  std::optional<std::size_t> chosen;
  for (NamedKey k : c.keys) {
    ContextMenuResponse r = menu.handle_event(press_key(k));
    EXPECT_TRUE(r.consumed);
    EXPECT_EQ(r.open, menu.is_open());
    if (r.chosen) chosen = r.chosen;
  }
  EXPECT_EQ(chosen, c.chosen);
  EXPECT_EQ(menu.is_open(), c.open);
  EXPECT_EQ(menu.highlighted(), c.highlighted);
}

INSTANTIATE_TEST_SUITE_P(
    Keyboard, ContextMenuKeys,
    ::testing::Values(
        KeyCase{"DownDownEnterChoosesTheSecond",
                {NamedKey::ArrowDown, NamedKey::ArrowDown, NamedKey::Enter},
                1,
                false,
                {}},
        KeyCase{"UpFromNothingHighlightsTheLast", {NamedKey::ArrowUp}, {}, true, 2},
        KeyCase{
            "DownWrapsFromTheLastToTheFirst", {NamedKey::End, NamedKey::ArrowDown}, {}, true, 0},
        KeyCase{"UpWrapsFromTheFirstToTheLast", {NamedKey::Home, NamedKey::ArrowUp}, {}, true, 2},
        KeyCase{"SpaceChoosesLikeEnter", {NamedKey::ArrowUp, NamedKey::Space}, 2, false, {}},
        KeyCase{"EnterWithNothingHighlightedChoosesNothing", {NamedKey::Enter}, {}, true, {}},
        KeyCase{
            "EscapeClosesWithoutAChoice", {NamedKey::ArrowDown, NamedKey::Escape}, {}, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ContextMenuKeysOther, ReleasesIgnoredKeysTextAndWheelAreNotTheMenus) {
  ContextMenu menu = menu_of_three();
  menu.open_at(10, 10);
  for (const InputEvent& e : std::vector<InputEvent>{
           KeyEvent{NamedKey::ArrowDown, ElementState::Released},
           KeyEvent{NamedKey::Enter, ElementState::Pressed, true},
           KeyEvent{NamedKey::Tab},
           KeyEvent{std::string("a")},
           TextEvent{"a"},
           WheelEvent{WheelEvent::Unit::Lines, 0, 3},
       }) {
    ContextMenuResponse r = menu.handle_event(e);
    EXPECT_FALSE(r.consumed);
    EXPECT_FALSE(r.chosen.has_value());
    EXPECT_TRUE(r.open);
  }
  EXPECT_EQ(menu.highlighted(), std::nullopt);
  // A character key whose text is a blank chooses like Enter.
  menu.handle_event(KeyEvent{NamedKey::ArrowDown});
  ContextMenuResponse r = menu.handle_event(KeyEvent{std::string(" ")});
  EXPECT_EQ(r.chosen, 0u);
  // A closed menu takes nothing.
  r = menu.handle_event(KeyEvent{NamedKey::ArrowDown});
  EXPECT_FALSE(r.consumed);
  EXPECT_FALSE(r.open);
}

TEST(ContextMenuPointer, HoverHighlightsAPressChoosesAndAPressOutsideCloses) {
  for (double scale : {1.0, 1.5}) {
    SCOPED_TRACE(scale);
    ContextMenu menu = menu_of_three();
    menu.open_at(200, 100);
    Point second = menu.item_rect(1)->center();
    ContextMenuResponse r =
        menu.handle_event(PointerMoved{second.x * scale, second.y * scale}, scale);
    EXPECT_TRUE(r.consumed);
    EXPECT_EQ(menu.highlighted(), 1u);
    // The opening secondary button's release, and other buttons, over the menu choose nothing.
    r = menu.handle_event(click(PointerButtonKind::Secondary, ElementState::Released), scale);
    EXPECT_TRUE(r.consumed);
    r = menu.handle_event(click(PointerButtonKind::Secondary), scale);
    EXPECT_TRUE(r.consumed);
    EXPECT_FALSE(r.chosen.has_value());
    EXPECT_TRUE(menu.is_open());
    r = menu.handle_event(click(), scale);
    EXPECT_TRUE(r.consumed);
    EXPECT_EQ(r.chosen, 1u);
    EXPECT_FALSE(r.open);
    EXPECT_FALSE(menu.is_open());
    EXPECT_EQ(menu.rect(), std::nullopt);
  }

  struct Case {
    const char* name;
    PointerButtonKind button;
  };
  for (const Case& c : std::vector<Case>{{"primary", PointerButtonKind::Primary},
                                         {"secondary", PointerButtonKind::Secondary}}) {
    SCOPED_TRACE(c.name);
    ContextMenu menu = menu_of_three();
    menu.open_at(200, 100);
    // Moving off the menu is not the menu's and clears the hover.
    ContextMenuResponse r = menu.handle_event(PointerMoved{menu.item_rect(0)->center().x, 100.5});
    EXPECT_TRUE(r.consumed);  // the menu's padding is still the menu
    EXPECT_EQ(menu.highlighted(), std::nullopt);
    r = menu.handle_event(PointerMoved{150, 300});
    EXPECT_FALSE(r.consumed);
    r = menu.handle_event(click(c.button));
    // The press dismisses the menu but is left to the window (a secondary press there opens
    // the next menu).
    EXPECT_FALSE(r.consumed);
    EXPECT_FALSE(r.chosen.has_value());
    EXPECT_FALSE(r.open);
  }

  // A press right where the menu opened, before any move, lands on its edge, not an item.
  ContextMenu menu = menu_of_three();
  menu.open_at(200, 100);
  ContextMenuResponse r = menu.handle_event(click());
  EXPECT_TRUE(r.consumed);
  EXPECT_FALSE(r.chosen.has_value());
  EXPECT_TRUE(r.open);
}

TEST(ContextMenuActions, ItemIdsChooseByIndexAndAnythingElseIsRefused) {
  EXPECT_EQ(ContextMenu::item_element_id(2), "context-menu:item:2");
  struct Case {
    std::string id;
    std::uint8_t kind;
    std::optional<std::size_t> chosen;
  };
  for (const Case& c : std::vector<Case>{
           {"context-menu:item:0", 0, 0},
           {"context-menu:item:2", 2, 2},
           {"context-menu:item:1", 1, {}},
           {"context-menu:item:1", 7, {}},
           {"context-menu:item:3", 0, {}},
           {"context-menu:item:", 0, {}},
           {"context-menu:item:-1", 0, {}},
           {"context-menu:item:1x", 0, {}},
           {"context-menu:item: 1", 0, {}},
           {"context-menu:item:99999999999999999999999", 0, {}},
           {"Send", 0, {}},
       }) {
    SCOPED_TRACE(c.id + " kind " + std::to_string(c.kind));
    ContextMenu menu = menu_of_three();
    menu.open_at(10, 10);
    ContextMenuResponse r = menu.perform_semantic_action(c.id, SemanticAction{c.kind, {}});
    EXPECT_EQ(r.chosen, c.chosen);
    EXPECT_EQ(r.consumed, c.chosen.has_value());
    EXPECT_EQ(r.open, !c.chosen.has_value());
    EXPECT_EQ(menu.is_open(), !c.chosen.has_value());
  }
  ContextMenu closed = menu_of_three();
  ContextMenuResponse r = closed.perform_semantic_action("context-menu:item:0", {0, {}});
  EXPECT_FALSE(r.consumed);
  EXPECT_FALSE(r.chosen.has_value());
}

TEST(ContextMenuAccess, DescribesTheMenuAndItsItemsWithStableDistinctKeys) {
  ContextMenu menu = menu_of_three();
  menu.open_at(40, 50);
  menu.handle_event(KeyEvent{NamedKey::ArrowDown});
  std::optional<AccessNode> node = menu.accessibility();
  ASSERT_TRUE(node.has_value());
  EXPECT_EQ(node->role, access_role::kMenu);
  EXPECT_EQ(node->bounds.x0, 40);
  ASSERT_EQ(node->children.size(), 3u);
  std::set<std::uint64_t> keys{node->key};
  for (std::size_t i = 0; i < 3; ++i) {
    const AccessNode& item = node->children[i];
    EXPECT_EQ(item.text, menu.items()[i].label);
    EXPECT_EQ(item.role, access_role::kMenuItem);
    EXPECT_EQ(item.focused, i == 0);
    EXPECT_EQ(item.bounds.y0, menu.item_rect(i)->y0);
    keys.insert(item.key);
  }
  EXPECT_EQ(keys.size(), 4u);
  // The same menu opened elsewhere keeps its keys.
  menu.open_at(300, 300);
  EXPECT_EQ(menu.accessibility()->children[1].key, node->children[1].key);
}

TEST(ContextMenuDraw, PaintsTheCardTheHighlightAndDestructiveLabelsInsideTheBounds) {
  Theme theme = Theme::dark();
  Scene scene(480, 260);
  TextRenderer text;
  DrawCtx ctx{Affine::identity(), 1.0, {}};
  scene.clear(theme.window_bg);
  ContextMenu menu = menu_of_three();
  menu.add_item(ContextMenuItem::plain("A label far too long to fit inside the menu's width"));
  Rect bounds{0, 0, 480, 260};
  menu.open_at_clamped(300, 40, bounds);
  menu.handle_event(PointerMoved{menu.item_rect(1)->center().x, menu.item_rect(1)->center().y});
  menu.draw(scene, bounds, text, theme, ctx);
  scene.write_png(testing::TempDir() + "context_menu.png");

  auto distance = [](Color a, Color b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
  };
  auto count = [&](const Rect& r, auto pred) {
    int n = 0;
    for (int y = static_cast<int>(r.y0); y < static_cast<int>(r.y1); ++y) {
      for (int x = static_cast<int>(r.x0); x < static_cast<int>(r.x1); ++x)
        n += pred(scene.pixel(x, y));
    }
    return n;
  };
  Rect card = *menu.rect();
  EXPECT_LE(card.x1, bounds.x1);
  // The card's ground, the hover tint on the second row, and red ink on the destructive row.
  EXPECT_LT(distance(scene.pixel(static_cast<int>(card.x1) - 3, static_cast<int>(card.center().y)),
                     theme.popover_bg),
            0.03f);
  Rect hovered = *menu.item_rect(1);
  Color tint = composite_over(theme.accent.with_alpha(0.22f), theme.popover_bg);
  EXPECT_GT(count(hovered, [&](Color c) { return distance(c, tint) < 0.03f; }), 200);
  auto reddish = [&](Color c) { return c.r > 0.6f && c.g < 0.45f && c.b < 0.45f; };
  EXPECT_GT(count(*menu.item_rect(0), reddish), 10);
  EXPECT_EQ(count(*menu.item_rect(2), reddish), 0);
  // The long label stops inside the menu: nothing is inked right of the card.
  Rect right_of_card{card.x1 + 1, menu.item_rect(3)->y0, bounds.x1, menu.item_rect(3)->y1};
  EXPECT_EQ(count(right_of_card, [&](Color c) { return distance(c, theme.window_bg) > 0.1f; }), 0);

  // A closed menu paints nothing.
  scene.clear(theme.window_bg);
  menu.close();
  menu.draw(scene, bounds, text, theme, ctx);
  EXPECT_EQ(count(bounds, [&](Color c) { return distance(c, theme.window_bg) > 0.01f; }), 0);
}

}  // namespace
}  // namespace vesk_ui
