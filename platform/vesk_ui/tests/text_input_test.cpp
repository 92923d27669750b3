// The text input's contract with its owner: submit and change reports, clipboard, focus,
// composition, text replaced from outside, assistive-technology edits and accessibility.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vesk_ui/text_input.hpp"

namespace vesk_ui {
namespace {

using Range = std::pair<std::size_t, std::size_t>;

struct Harness {
  TextInput input = TextInput::local();
  MemoryClipboard clipboard;
  ToolkitCtx ctx{clipboard, {}};

  explicit Harness(bool multiline = true) {
    input.set_multiline(multiline);
    input.set_focused(true);
  }
  bool key(NamedKey k, Modifiers mods = {}) {
    return input.handle_event(KeyEvent{k}, mods, 1.0, ctx);
  }
  bool ctrl(const char* letter, Modifiers mods = {.control = true}) {
    return input.handle_event(KeyEvent{std::string(letter)}, mods, 1.0, ctx);
  }
  bool type(std::string text) {
    return input.handle_event(TextEvent{std::move(text)}, {}, 1.0, ctx);
  }
  bool compose(std::string text, std::size_t cursor) {
    return input.handle_event(CompositionEvent{std::move(text), cursor}, {}, 1.0, ctx);
  }
};

TEST(TextInputSubmit, EnterRaisesTheOneShotFlagAndShiftEnterBreaksTheLine) {
  struct Case {
    bool multiline;
    Modifiers mods;
    bool want_submit;
    std::string want_text;
  };
  for (const Case& c : std::vector<Case>{
           {true, {}, true, "hi"},
           {true, {.control = true}, true, "hi"},
           {true, {.shift = true}, false, "hi\n"},
           {false, {}, true, "hi"},
           {false, {.shift = true}, false, "hi"},
       }) {
    SCOPED_TRACE(testing::Message() << "multiline " << c.multiline << " shift " << c.mods.shift);
    Harness h(c.multiline);
    h.type("hi");
    h.key(NamedKey::Enter, c.mods);
    EXPECT_EQ(h.input.text(), c.want_text);
    EXPECT_EQ(h.input.submit_requested(), c.want_submit);
    EXPECT_EQ(h.input.take_submit(), c.want_submit);
    EXPECT_FALSE(h.input.take_submit());  // one shot
  }
  // A release of Enter (its press already counted) and an ignored Enter raise nothing.
  Harness h;
  h.input.handle_event(KeyEvent{NamedKey::Enter, ElementState::Released}, {}, 1.0, h.ctx);
  h.input.handle_event(KeyEvent{NamedKey::Enter, ElementState::Pressed, true}, {}, 1.0, h.ctx);
  EXPECT_FALSE(h.input.submit_requested());
  h.key(NamedKey::Enter);
  h.input.clear_submit();
  EXPECT_FALSE(h.input.submit_requested());
}

TEST(TextInputDirty, EachUserChangeIsReportedOnceAndNothingElseIs) {
  Harness h;
  EXPECT_EQ(h.input.take_dirty(), std::nullopt);

  h.type("ab");
  h.type("c");
  EXPECT_EQ(h.input.take_dirty(), "abc");  // two changes before the owner looked: one report
  EXPECT_EQ(h.input.take_dirty(), std::nullopt);

  // Moves, selections, copies, submits and edits that change nothing report nothing.
  h.key(NamedKey::ArrowLeft);
  h.key(NamedKey::Home);
  h.key(NamedKey::Backspace);
  h.ctrl("a");
  h.ctrl("c");
  h.key(NamedKey::Enter);
  EXPECT_EQ(h.input.take_dirty(), std::nullopt);

  // Text the owner puts in is not a change to report, and clears one pending.
  h.type("x");
  h.input.set_text("draft");
  EXPECT_EQ(h.input.take_dirty(), std::nullopt);
  h.input.set_text_with_cursor("draft two", 2);
  EXPECT_EQ(h.input.take_dirty(), std::nullopt);

  struct Change {
    const char* what;
    std::function<void(Harness&)> act;
  };
  for (const Change& change : std::vector<Change>{
           {"insert_text", [](Harness& t) { t.input.insert_text("🙂"); }},
           {"backspace", [](Harness& t) { t.key(NamedKey::Backspace); }},
           {"paste", [](Harness& t) { t.ctrl("v"); }},
           {"cut",
            [](Harness& t) {
              t.ctrl("a");
              t.ctrl("x");
            }},
           {"line break", [](Harness& t) { t.key(NamedKey::Enter, {.shift = true}); }},
           {"replace action",
            [](Harness& t) {
              t.input.perform_action({7, "new"});
            }},
           {"clear action",
            [](Harness& t) {
              t.input.perform_action({8, std::nullopt});
            }},
       }) {
    SCOPED_TRACE(change.what);
    Harness t;
    t.input.set_text("seed");
    t.clipboard.set_text("clip");
    change.act(t);
    std::optional<std::string> report = t.input.take_dirty();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(*report, t.input.text());
    EXPECT_EQ(t.input.take_dirty(), std::nullopt);
  }
}

TEST(TextInputClipboard, CopyCutAndPasteRoundTripThroughTheClipboardGiven) {
  Harness h;
  const std::string emoji = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD";
  h.type("hello " + emoji + " world");
  // Select "world" with Ctrl+Shift+Left and copy it.
  h.key(NamedKey::ArrowLeft, {.shift = true, .control = true});
  EXPECT_EQ(h.input.selection(), (Range{15, 20}));
  EXPECT_FALSE(h.ctrl("c"));  // copying changes nothing in the input
  EXPECT_EQ(h.clipboard.get_text(), "world");
  h.key(NamedKey::End);
  h.ctrl("v");
  EXPECT_EQ(h.input.text(), "hello " + emoji + " worldworld");

  // Cut the emoji (Shift+Left over one cluster) and paste it at the front.
  h.key(NamedKey::Home);
  for (int i = 0; i < 6; ++i) h.key(NamedKey::ArrowRight);
  h.key(NamedKey::ArrowRight, {.shift = true});
  EXPECT_TRUE(h.ctrl("X", {.shift = true, .control = true}));  // the letter's case is no matter
  EXPECT_EQ(h.clipboard.get_text(), emoji);
  EXPECT_EQ(h.input.text(), "hello  worldworld");
  h.key(NamedKey::Home, {.control = true});
  h.key(NamedKey::Insert, {.shift = true});
  EXPECT_EQ(h.input.text(), emoji + "hello  worldworld");
  EXPECT_EQ(h.input.cursor(), emoji.size());

  // Ctrl+Insert copies and Shift+Delete cuts, as on other desktops.
  h.ctrl("a");
  h.key(NamedKey::Insert, {.control = true});
  EXPECT_EQ(h.clipboard.get_text(), h.input.text());
  h.key(NamedKey::Delete, {.shift = true});
  EXPECT_EQ(h.input.text(), "");

  // Nothing selected: copy and cut leave the clipboard alone.
  h.clipboard.set_text("kept");
  h.ctrl("c");
  h.ctrl("x");
  EXPECT_EQ(h.clipboard.get_text(), "kept");
}

TEST(TextInputClipboard, PastedTextIsCleanedForTheInputAndNoClipboardTextMeansNoPaste) {
  struct Case {
    bool multiline;
    std::string clip;
    std::string want;
  };
  for (const Case& c : std::vector<Case>{
           {true, "one\r\ntwo\rthree", "one\ntwo\nthree"},
           {false, "one\ntwo\tthree", "one two three"},
           {true, std::string("a\0b\x1b", 4) + "c", "abc"},
           {true, "bad \xFF\xFE bytes \xE2\x82", "bad \xEF\xBF\xBD\xEF\xBF\xBD bytes \xEF\xBF\xBD"},
       }) {
    Harness h(c.multiline);
    h.clipboard.set_text(c.clip);
    h.ctrl("v");
    EXPECT_EQ(h.input.text(), c.want);
  }
  Harness h;
  MemoryClipboard holds_nothing;
  ToolkitCtx none{holds_nothing, {}};
  h.type("abc");
  h.ctrl("a");
  EXPECT_FALSE(h.input.handle_event(KeyEvent{std::string("v")}, {.control = true}, 1.0, none));
  EXPECT_EQ(h.input.text(), "abc");
  EXPECT_EQ(h.input.selection(), (Range{0, 3}));
  // An empty clipboard pastes nothing over a selection either.
  h.clipboard.set_text("");
  h.ctrl("v");
  EXPECT_EQ(h.input.text(), "abc");
}

TEST(TextInputComposition, ShownAtTheCaretCommittedByTextAndDroppedWithFocus) {
  Harness h;
  h.type("ab");
  h.key(NamedKey::ArrowLeft);
  EXPECT_TRUE(h.compose("\xE3\x81\x8B", 3));  // か
  EXPECT_EQ(h.input.composition(), "\xE3\x81\x8B");
  EXPECT_EQ(h.input.text(), "ab");  // not part of the text until committed
  EXPECT_EQ(h.input.take_dirty(), "ab");
  EXPECT_FALSE(h.compose("\xE3\x81\x8B", 3));  // the same composition again changes nothing
  h.type("\xE6\xBC\xA2");                      // commits 漢
  EXPECT_EQ(h.input.composition(), "");
  EXPECT_EQ(h.input.text(),
            "a\xE6\xBC\xA2"
            "b");
  EXPECT_EQ(h.input.cursor(), 4u);

  // Losing focus ends the composition and forgets the anchor; the caret stays.
  h.compose("x", 1);
  h.key(NamedKey::ArrowLeft, {.shift = true});
  ASSERT_TRUE(h.input.selection().has_value());
  h.input.set_focused(false);
  EXPECT_EQ(h.input.composition(), "");
  EXPECT_EQ(h.input.selection(), std::nullopt);
  EXPECT_EQ(h.input.selection_anchor(), std::nullopt);
  EXPECT_EQ(h.input.cursor(), 1u);
  EXPECT_FALSE(h.input.focused());
  h.input.set_focused(true);
  EXPECT_EQ(h.input.selection(), std::nullopt);  // the anchor does not come back

  // An empty composition ends it; an empty commit then changes nothing.
  h.compose("zz", 9);
  EXPECT_TRUE(h.compose("", 0));
  EXPECT_FALSE(h.type(""));
  EXPECT_EQ(h.input.text(),
            "a\xE6\xBC\xA2"
            "b");
}

TEST(TextInputText, SetTextKeepsTheCaretForTheSameTextAndCleansWhatItIsGiven) {
  Harness h;
  h.input.set_text("hello");
  EXPECT_EQ(h.input.cursor(), 5u);
  h.key(NamedKey::Home);
  h.key(NamedKey::ArrowRight, {.shift = true});
  // The owner puts the stored draft back after every rebuild: the caret must not jump.
  h.input.set_text("hello");
  EXPECT_EQ(h.input.cursor(), 1u);
  EXPECT_EQ(h.input.selection(), (Range{0, 1}));
  h.input.set_text("bye");
  EXPECT_EQ(h.input.cursor(), 3u);
  EXPECT_EQ(h.input.selection(), std::nullopt);

  struct Case {
    bool multiline;
    std::string given;
    std::size_t cursor;
    std::string want;
    std::size_t want_cursor;
  };
  const std::string acute = "\xCC\x81";
  for (const Case& c : std::vector<Case>{
           {true, "e" + acute + "x", 2, "e" + acute + "x", 0},  // inside a cluster: its start
           {true, "abc", 99, "abc", 3},
           {false, "two\nlines", 3, "two lines", 3},
           {true, std::string("nul\0byte", 8), 8, "nulbyte", 7},
           {true, "\xC0\xAF overlong", 0, "\xEF\xBF\xBD overlong", 0},
           {true, "\xED\xA0\x80 surrogate", 0, "\xEF\xBF\xBD surrogate", 0},
       }) {
    Harness t(c.multiline);
    t.input.set_text_with_cursor(c.given, c.cursor);
    EXPECT_EQ(t.input.text(), c.want);
    EXPECT_EQ(t.input.cursor(), c.want_cursor);
  }

  // Switching to one line flattens the text already held.
  Harness t;
  t.input.set_text("a\nb");
  t.input.set_multiline(false);
  EXPECT_EQ(t.input.text(), "a b");
}

TEST(TextInputActions, KindsSevenAndEightEditAndOthersAreRefused) {
  struct Case {
    std::uint8_t kind;
    const char* text;  // none when null
    bool performed;
    std::string want;
  };
  for (const Case& c : std::vector<Case>{
           {7, "replaced", true, "replaced"},
           {7, "start", true, "start"},
           {7, nullptr, false, "start"},
           {7, "a\nb", true, "a\nb"},
           {8, nullptr, true, ""},
           {8, "ignored", true, ""},
           {0, "x", false, "start"},
           {1, nullptr, false, "start"},
           {2, nullptr, false, "start"},
       }) {
    Harness h;
    h.input.set_text("start");
    SemanticAction action{c.kind, c.text ? std::optional<std::string>(c.text) : std::nullopt};
    EXPECT_EQ(h.input.perform_action(action), c.performed) << int(c.kind);
    EXPECT_EQ(h.input.text(), c.want);
    EXPECT_EQ(h.input.cursor(), c.want.size());
  }
}

TEST(TextInputAccess, DescribesTheTextAndTheSelectionOrAnEmptyRangeAtTheCaret) {
  Harness h;
  h.input.set_text("hello");
  h.key(NamedKey::ArrowLeft);
  AccessNode node;
  h.input.describe(node);
  EXPECT_EQ(node.value, "hello");
  EXPECT_EQ(node.selection, (Range{4, 4}));
  h.key(NamedKey::Home, {.shift = true});
  h.input.describe(node);
  EXPECT_EQ(node.selection, (Range{0, 4}));  // ordered, whichever way it was made
}

}  // namespace
}  // namespace vesk_ui
