// The text input on screen: pointer placement and selection, lines, scrolling inside the box,
// the blinking caret and what the painted pixels show.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "vesk_ui/text_edit_breaks.hpp"
#include "vesk_ui/text_input.hpp"

namespace vesk_ui {
namespace {

using namespace std::chrono_literals;
using Range = std::pair<std::size_t, std::size_t>;

class TextInputOnScreen : public ::testing::Test {
 protected:
  TextInputOnScreen() { theme.reduced_motion = true; }

  TextInput make(bool multiline, Rect box) {
    TextInput input = TextInput::local();
    input.set_multiline(multiline);
    input.apply_layout_external(box);
    input.set_focused(true);
    return input;
  }
  // Gives the instant the input asked the frame loop to wake at.
  std::optional<TextInput::Clock::time_point> draw(TextInput& input,
                                                   TextInput::Clock::time_point now = {}) {
    DrawCtx ctx{Affine::identity(), 1.0, now};
    scene.clear(theme.field_bg);
    input.draw(scene, text, theme, ctx);
    return ctx.wake_at;
  }
  // The caret's centre after placing it at `offset` and drawing.
  Point caret_at(TextInput& input, std::size_t offset) {
    input.set_text_with_cursor(std::string(input.text()), offset);
    draw(input);
    Rect r = *input.caret_rect();
    return {(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2};
  }
  bool move(TextInput& input, Point p, double scale = 1.0) {
    return input.handle_event(PointerMoved{p.x * scale, p.y * scale}, {}, scale, ctx);
  }
  bool press(TextInput& input, std::uint8_t clicks = 1, Modifiers mods = {}) {
    return input.handle_event(
        PointerButton{PointerButtonKind::Primary, ElementState::Pressed, clicks}, mods, 1.0, ctx);
  }
  bool release(TextInput& input) {
    return input.handle_event(PointerButton{PointerButtonKind::Primary, ElementState::Released}, {},
                              1.0, ctx);
  }
  bool key(TextInput& input, NamedKey k, Modifiers mods = {}) {
    return input.handle_event(KeyEvent{k}, mods, 1.0, ctx);
  }

  Theme theme = Theme::dark();
  Scene scene{480, 240};
  TextRenderer text;
  MemoryClipboard clipboard;
  ToolkitCtx ctx{clipboard, {}};
};

TEST_F(TextInputOnScreen, APressPutsTheCaretOnTheCharacterBoundaryUnderThePointer) {
  const std::string acute = "\xCC\x81";
  const std::string thumbs = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD";
  TextInput input = make(false, {20, 20, 460, 52});
  input.set_text("Caf" + std::string("e") + acute + " " + thumbs + " ok");
  std::vector<std::size_t> stops;
  for (std::size_t at = 0; at < input.text().size();
       at = text_edit::next_grapheme(input.text(), at)) {
    stops.push_back(at);
  }
  stops.push_back(input.text().size());
  for (double scale : {1.0, 2.0}) {
    for (std::size_t stop : stops) {
      SCOPED_TRACE(testing::Message() << "stop " << stop << " scale " << scale);
      Point p = caret_at(input, stop);
      input.set_text_with_cursor(std::string(input.text()), stop == 0 ? input.text().size() : 0);
      move(input, {p.x + 0.5, p.y}, scale);
      EXPECT_TRUE(press(input));
      release(input);
      EXPECT_EQ(input.cursor(), stop);
      EXPECT_EQ(input.selection(), std::nullopt);
    }
  }
  // A press outside the box is not the input's.
  std::size_t before = input.cursor();
  move(input, {10, 30});
  EXPECT_FALSE(press(input));
  EXPECT_EQ(input.cursor(), before);
}

TEST_F(TextInputOnScreen, DraggingSelectsShiftExtendsAndADoubleClickSelectsAWord) {
  TextInput input = make(false, {20, 20, 460, 52});
  input.set_text("alpha beta gamma");
  Point a = caret_at(input, 2);
  Point b = caret_at(input, 13);
  Point c16 = caret_at(input, 16);
  move(input, a);
  press(input);
  move(input, b);
  EXPECT_EQ(input.selection(), (Range{2, 13}));
  release(input);
  move(input, {a.x + 40, a.y});  // moves after the release select nothing more
  EXPECT_EQ(input.selection(), (Range{2, 13}));

  // Shift+press extends from the anchor the last press left.
  move(input, c16);
  press(input, 1, {.shift = true});
  release(input);
  EXPECT_EQ(input.selection(), (Range{2, 16}));

  struct Case {
    std::size_t at;
    Range word;
  };
  for (const Case& c : std::vector<Case>{{8, {6, 10}}, {6, {6, 10}}, {16, {11, 16}}, {5, {5, 6}}}) {
    Point p = caret_at(input, c.at);
    move(input, {p.x + 1, p.y});
    press(input, 2);
    release(input);
    EXPECT_EQ(input.selection(), c.word) << "at " << c.at;
  }

  // Dragging on from a double click selects whole words, the first one always kept.
  Point alpha = caret_at(input, 2), beta = caret_at(input, 8), gamma = caret_at(input, 13);
  move(input, beta);
  press(input, 2);
  move(input, gamma);
  EXPECT_EQ(input.selection(), (Range{6, 16}));
  move(input, alpha);
  EXPECT_EQ(input.selection(), (Range{0, 10}));
  EXPECT_EQ(input.cursor(), 0u);
  release(input);
  move(input, gamma);
  EXPECT_EQ(input.selection(), (Range{0, 10}));
}

TEST_F(TextInputOnScreen, UpAndDownKeepTheColumnAcrossWrappedLinesAndHomeEndStayOnTheLine) {
  TextInput input = make(true, {20, 20, 220, 200});
  input.set_text("the quick brown fox jumps over the lazy dog and keeps on running far away");
  draw(input);
  // Two characters into the third line: the line above surely reaches that column.
  input.set_text_with_cursor(std::string(input.text()), input.text().find("dog"));
  key(input, NamedKey::Home);
  std::size_t start = input.cursor() + 2;
  Point p = caret_at(input, start);
  ASSERT_GT(p.y, 60);
  key(input, NamedKey::ArrowUp);
  draw(input);
  Rect up = *input.caret_rect();
  EXPECT_LT(up.y0, p.y - 5);                 // a line higher
  EXPECT_NEAR((up.x0 + up.x1) / 2, p.x, 9);  // about the same column
  key(input, NamedKey::ArrowDown);
  EXPECT_EQ(input.cursor(), start);  // back where it was: the column was kept

  // Up on the first line goes to the text's start, Down on the last to its end.
  input.set_text_with_cursor(std::string(input.text()), 3);
  key(input, NamedKey::ArrowUp);
  EXPECT_EQ(input.cursor(), 0u);
  key(input, NamedKey::ArrowDown, {.shift = true});
  draw(input);
  EXPECT_GT(input.caret_rect()->y0, p.y - 30);
  key(input, NamedKey::End);
  std::size_t end_of_line = input.cursor();
  EXPECT_GT(end_of_line, 0u);
  EXPECT_LT(end_of_line, input.text().size());
  Rect before = *input.caret_rect();
  draw(input);
  EXPECT_NEAR(input.caret_rect()->y0, before.y0, 0.5);  // still on the second line
  key(input, NamedKey::Home);
  draw(input);
  EXPECT_NEAR(input.caret_rect()->y0, before.y0, 0.5);
  EXPECT_LT(input.caret_rect()->x0, 32);  // at the box's left, inside the padding
  while (input.cursor() < input.text().size()) key(input, NamedKey::ArrowDown);
  EXPECT_EQ(input.cursor(), input.text().size());
}

TEST_F(TextInputOnScreen, TextLongerOrTallerThanTheBoxScrollsToKeepTheCaretInside) {
  struct Case {
    const char* name;
    bool multiline;
    Rect box;
    std::string text;
  };
  std::string words;
  for (int i = 0; i < 40; ++i) words += "word" + std::to_string(i) + " ";
  for (const Case& c : std::vector<Case>{
           {"one line", false, {20, 20, 200, 44}, words},
           {"many lines", true, {20, 20, 200, 80}, words},
           {"line breaks", true, {20, 20, 200, 60}, "a\nb\nc\nd\ne\nf\ng\nh"},
       }) {
    SCOPED_TRACE(c.name);
    TextInput input = make(c.multiline, c.box);
    input.set_text(c.text);
    for (NamedKey jump : {NamedKey::End, NamedKey::Home, NamedKey::End}) {
      key(input, jump, {.control = true});
      draw(input);
      Rect caret = *input.caret_rect();
      EXPECT_GE(caret.x0, c.box.x0);
      EXPECT_LE(caret.x1, c.box.x1);
      EXPECT_GE(caret.y0, c.box.y0 - 0.01);
      EXPECT_LE(caret.y1, c.box.y1 + 0.01);
    }
    // Clicking into the scrolled text still finds the character under the pointer.
    Point p = caret_at(input, input.text().size() - 1);
    input.set_text_with_cursor(std::string(input.text()), input.text().size());
    draw(input);
    move(input, {p.x + 0.5, p.y});
    press(input);
    release(input);
    EXPECT_EQ(input.cursor(), input.text().size() - 1);
  }
}

TEST_F(TextInputOnScreen, TheCaretBlinksWhileFocusedAndAsksForTheFramesToDoIt) {
  TextInput input = make(false, {20, 20, 300, 52});
  input.set_blink_caret(true);
  input.set_text("blink");
  auto t0 = TextInput::Clock::time_point{} + 10s;
  auto caret_lit = [&] {
    Rect r = *input.caret_rect();
    Color c = scene.pixel(static_cast<int>(std::floor((r.x0 + r.x1) / 2)),
                          static_cast<int>((r.y0 + r.y1) / 2));
    return c.r > 0.6f;
  };
  const auto wake = draw(input, t0);
  EXPECT_TRUE(input.needs_animation_frame());
  EXPECT_TRUE(caret_lit());
  ASSERT_TRUE(input.next_frame_at().has_value());
  EXPECT_EQ(wake, input.next_frame_at()) << "the loop is asked to wake for the blink";
  auto off_at = *input.next_frame_at();
  EXPECT_GT(off_at, t0);
  EXPECT_LE(off_at, t0 + 1s);
  draw(input, off_at + 1ms);
  EXPECT_FALSE(caret_lit());
  ASSERT_TRUE(input.next_frame_at().has_value());
  EXPECT_GT(*input.next_frame_at(), off_at + 1ms);
  // Typing shows the caret again at once.
  input.handle_event(TextEvent{"!"}, {}, 1.0, ctx);
  draw(input, off_at + 2ms);
  EXPECT_TRUE(caret_lit());

  // A steady caret and an unfocused input ask for nothing; the unfocused one has no caret.
  input.set_blink_caret(false);
  draw(input, off_at + 3ms);
  EXPECT_FALSE(input.next_frame_at().has_value());
  EXPECT_TRUE(caret_lit());
  input.set_blink_caret(true);
  input.set_focused(false);
  EXPECT_FALSE(draw(input, off_at + 4ms));
  EXPECT_FALSE(input.needs_animation_frame());
  EXPECT_FALSE(input.next_frame_at().has_value());
  EXPECT_FALSE(input.caret_rect().has_value());
}

TEST_F(TextInputOnScreen, TypingDoesNotFillTheRenderersLayoutCache) {
  TextInput input = make(true, {20, 20, 460, 120});
  draw(input);
  std::size_t before = text.cache_size();
  for (int i = 0; i < 60; ++i) {
    input.handle_event(TextEvent{i % 7 == 6 ? " " : "w"}, {}, 1.0, ctx);
    draw(input);
  }
  EXPECT_EQ(input.text().size(), 60u);
  EXPECT_LE(text.cache_size(), before + 1);
}

// How far a pixel is from a colour, in the largest channel difference.
float distance(Color a, Color b) {
  return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

TEST_F(TextInputOnScreen, PaintsTheSelectionTheCompositionUnderlineAndThePlaceholder) {
  TextInput input = make(true, {20, 20, 460, 80});
  input.set_text("select me please");
  Point from = caret_at(input, 7);
  Point to = caret_at(input, 16);
  input.set_text_with_cursor(std::string(input.text()), 7);
  key(input, NamedKey::End, {.shift = true});  // "me please"
  draw(input);
  scene.write_png(testing::TempDir() + "text_input_selection.png");
  auto count_near = [&](double x0, double x1, double y0, double y1, Color want) {
    int count = 0;
    for (int y = static_cast<int>(y0); y < static_cast<int>(y1); ++y) {
      for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x) {
        if (distance(scene.pixel(x, y), want) < 0.03f) ++count;
      }
    }
    return count;
  };
  // The ground between the selected letters shows the accent tint; before the selection not.
  Color selected_ground = lerp_color(theme.field_bg, theme.accent, 0.35f);
  Rect caret = *input.caret_rect();
  EXPECT_GT(count_near(from.x + 1, to.x - 1, caret.y0, caret.y1, selected_ground), 100);
  EXPECT_EQ(count_near(20, from.x - 2, caret.y0, caret.y1, selected_ground), 0);

  // Composing at the caret: a solid underline under the composed text, in the text colour.
  input.set_text_with_cursor("type ", 5);
  Point composing_from = caret_at(input, 5);
  input.handle_event(CompositionEvent{"\xE3\x81\x8B\xE3\x81\xAA", 6}, {}, 1.0, ctx);
  draw(input);
  scene.write_png(testing::TempDir() + "text_input_composition.png");
  Rect end = *input.caret_rect();
  ASSERT_GT(end.x0 - composing_from.x, 20);  // the caret is after the composed text
  bool underlined = false;
  for (double y = end.y0; y < end.y1 + 4 && !underlined; ++y) {
    double x0 = composing_from.x + 2, x1 = end.x0 - 2;
    underlined = count_near(x0, x1, y, y + 1, theme.text_primary) ==
                 static_cast<int>(x1) - static_cast<int>(x0);
  }
  EXPECT_TRUE(underlined);

  // The placeholder shows only while empty, and only when asked for.
  Rect box = input.rect();
  auto inked = [&] {
    int count = 0;
    for (int y = static_cast<int>(box.y0); y < static_cast<int>(box.y1); ++y) {
      for (int x = static_cast<int>(box.x0) + 6; x < static_cast<int>(box.x1); ++x) {
        if (distance(scene.pixel(x, y), theme.field_bg) > 0.2f) ++count;
      }
    }
    return count;
  };
  input.set_text("");
  input.set_focused(false);
  input.set_placeholder("Message #general");
  draw(input);
  EXPECT_EQ(inked(), 0);
  input.set_show_placeholder(true);
  draw(input);
  EXPECT_GT(inked(), 40);
  input.set_text("x");
  input.set_placeholder("Message #general, a longer placeholder than the text");
  draw(input);
  int with_text = inked();
  input.set_text("");
  draw(input);
  EXPECT_GT(inked(), with_text);
}

}  // namespace
}  // namespace vesk_ui
