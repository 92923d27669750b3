// Editing tables: a starting text and caret, a sequence of events, and the text, caret and
// selection they must leave.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "vesk_ui/text_edit_breaks.hpp"
#include "vesk_ui/text_edit_sanitize.hpp"
#include "vesk_ui/text_input.hpp"

namespace vesk_ui {
namespace {

using Range = std::pair<std::size_t, std::size_t>;

struct Step {
  InputEvent event;
  Modifiers mods;
};

Step key(NamedKey k, Modifiers mods = {}) {
  return {KeyEvent{k}, mods};
}
Step shift(NamedKey k) {
  return key(k, {.shift = true});
}
Step ctrl(NamedKey k) {
  return key(k, {.control = true});
}
Step ctrl(const char* letter) {
  return {KeyEvent{std::string(letter)}, {.control = true}};
}
Step type(const char* text) {
  return {TextEvent{text}, {}};
}

// Emoji and marks used below, spelled out so the byte counts are visible.
const std::string kThumbsMedium = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD";  // 👍 + skin tone, 8 bytes
const std::string kFamily =  // man ZWJ woman ZWJ girl, 18 bytes
    "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
const std::string kFrance = "\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7";   // regional indicators F R
const std::string kGermany = "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA";  // D E
const std::string kAcute = "\xCC\x81";                            // combining acute accent

struct EditCase {
  const char* name;
  std::string text;
  std::size_t cursor;
  bool multiline;
  std::vector<Step> steps;
  std::string want_text;
  std::size_t want_cursor;
  std::optional<Range> want_selection;
};

void PrintTo(const EditCase& c, std::ostream* os) {
  *os << c.name;
}

class EditTable : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditTable, LeavesTextCaretAndSelection) {
  const EditCase& c = GetParam();
  TextInput input = TextInput::local();
  input.set_multiline(c.multiline);
  input.set_text_with_cursor(c.text, c.cursor);
  input.set_focused(true);
  MemoryClipboard clipboard;
  ToolkitCtx ctx{clipboard, {}};
  for (const Step& step : c.steps) input.handle_event(step.event, step.mods, 1.0, ctx);
  EXPECT_EQ(input.text(), c.want_text);
  EXPECT_EQ(input.cursor(), c.want_cursor);
  EXPECT_EQ(input.selection(), c.want_selection);
}

const std::string kCafe = "cafe" + kAcute + "!";  // c a f e ◌́ !  (7 bytes)

INSTANTIATE_TEST_SUITE_P(
    Editing, EditTable,
    ::testing::Values(
        EditCase{"TypingMultiByteText",
                 "",
                 0,
                 false,
                 {type("h"), type("\xC3\xA9"), type("llo "), type("\xE4\xB8\x96")},
                 "h\xC3\xA9llo \xE4\xB8\x96",
                 10,
                 {}},
        EditCase{"PrintableKeysDoNotTypeOnlyTextEventsDo",
                 "",
                 0,
                 false,
                 {{KeyEvent{std::string("a")}, {}}, type("a"), {KeyEvent{std::string("b")}, {}}},
                 "a",
                 1,
                 {}},
        EditCase{"ReleasedAndIgnoredKeysDoNothing",
                 "abc",
                 3,
                 false,
                 {{KeyEvent{NamedKey::Backspace, ElementState::Released}, {}},
                  {KeyEvent{NamedKey::Backspace, ElementState::Pressed, true}, {}}},
                 "abc",
                 3,
                 {}},
        EditCase{"ControlCharactersInTextEventsAreDropped",
                 "",
                 0,
                 true,
                 {type("a\x01"
                       "b\n\tc\x7f")},
                 "abc",
                 3,
                 {}},
        EditCase{"BackspaceDeletesAnEmojiWithItsSkinTone",
                 "a" + kThumbsMedium,
                 9,
                 false,
                 {key(NamedKey::Backspace)},
                 "a",
                 1,
                 {}},
        EditCase{"ArrowsStepOverAZwjFamilyAsOneCharacter",
                 "x" + kFamily + "y",
                 20,
                 false,
                 {key(NamedKey::ArrowLeft), key(NamedKey::ArrowLeft)},
                 "x" + kFamily + "y",
                 1,
                 {}},
        EditCase{"DeleteRemovesAWholeZwjFamily",
                 "x" + kFamily + "y",
                 1,
                 false,
                 {key(NamedKey::Delete)},
                 "xy",
                 1,
                 {}},
        EditCase{"BackspaceDeletesOneFlagOfTwo",
                 kFrance + kGermany,
                 16,
                 false,
                 {key(NamedKey::Backspace)},
                 kFrance,
                 8,
                 {}},
        EditCase{"ALetterAndItsCombiningMarkMoveAndDeleteTogether",
                 kCafe,
                 7,
                 false,
                 {key(NamedKey::ArrowLeft), key(NamedKey::ArrowLeft), key(NamedKey::Delete)},
                 "caf!",
                 3,
                 {}},
        EditCase{"ACaretInsideAClusterIsMovedBackToItsStart",
                 kCafe,
                 4,  // between the e and its accent
                 false,
                 {type("X")},
                 "cafX" + std::string("e") + kAcute + "!",
                 4,
                 {}},
        EditCase{"TypingBeforeACombiningMarkLeavesTheCaretAfterTheNewCluster",
                 kAcute + "x",
                 0,
                 false,
                 {type("e")},
                 "e" + kAcute + "x",
                 3,
                 {}},
        EditCase{"ShiftArrowsSelectAndTypingReplacesTheSelection",
                 "abcd",
                 4,
                 false,
                 {shift(NamedKey::ArrowLeft), shift(NamedKey::ArrowLeft), type("X")},
                 "abX",
                 3,
                 {}},
        EditCase{"ShiftArrowsBackToTheAnchorSelectNothing",
                 "abcd",
                 2,
                 false,
                 {shift(NamedKey::ArrowLeft), shift(NamedKey::ArrowRight)},
                 "abcd",
                 2,
                 {}},
        EditCase{"ArrowsCollapseASelectionToItsEdges",
                 "abcdef",
                 1,
                 false,
                 {shift(NamedKey::ArrowRight), shift(NamedKey::ArrowRight),
                  shift(NamedKey::ArrowRight), key(NamedKey::ArrowLeft)},
                 "abcdef",
                 1,
                 {}},
        EditCase{"ShiftSelectionOverEmojiCoversWholeClusters",
                 kThumbsMedium + kFamily,
                 0,
                 false,
                 {shift(NamedKey::ArrowRight), shift(NamedKey::ArrowRight)},
                 kThumbsMedium + kFamily,
                 26,
                 Range{0, 26}},
        EditCase{"CtrlArrowsMoveByWords",
                 "hello brave  new-world",
                 22,
                 false,
                 {ctrl(NamedKey::ArrowLeft), ctrl(NamedKey::ArrowLeft), ctrl(NamedKey::ArrowLeft)},
                 "hello brave  new-world",
                 6,
                 {}},
        EditCase{"CtrlRightStopsAtTheEndOfTheNextWord",
                 "hello brave  new-world",
                 5,
                 false,
                 {ctrl(NamedKey::ArrowRight), ctrl(NamedKey::ArrowRight)},
                 "hello brave  new-world",
                 16,
                 {}},
        EditCase{"CtrlShiftLeftSelectsACyrillicWord",
                 "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD0\xBC\xD0\xB8\xD1\x80",
                 19,
                 false,
                 {key(NamedKey::ArrowLeft, {.shift = true, .control = true})},
                 "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD0\xBC\xD0\xB8\xD1\x80",
                 13,
                 Range{13, 19}},
        EditCase{"CtrlBackspaceDeletesTheWordBeforeTheCaret",
                 "hello world  ",
                 13,
                 false,
                 {ctrl(NamedKey::Backspace)},
                 "hello ",
                 6,
                 {}},
        EditCase{"CtrlDeleteDeletesToTheEndOfTheNextWord",
                 "hello world",
                 0,
                 false,
                 {ctrl(NamedKey::Delete)},
                 " world",
                 0,
                 {}},
        EditCase{"BackspaceAndDeleteAtTheEdgesChangeNothing",
                 "ab",
                 0,
                 false,
                 {key(NamedKey::Backspace), key(NamedKey::End), key(NamedKey::Delete)},
                 "ab",
                 2,
                 {}},
        EditCase{"HomeAndEndFollowLogicalLinesBeforeTheFirstDraw",
                 "one\ntwo\nthree",
                 6,
                 true,
                 {key(NamedKey::Home), shift(NamedKey::End)},
                 "one\ntwo\nthree",
                 7,
                 Range{4, 7}},
        EditCase{"CtrlHomeAndCtrlEndGoToTheTextEdges",
                 "one\ntwo",
                 5,
                 true,
                 {ctrl(NamedKey::Home), key(NamedKey::End, {.shift = true, .control = true})},
                 "one\ntwo",
                 7,
                 Range{0, 7}},
        EditCase{"SelectAllThenBackspaceEmptiesTheInput",
                 "h\xC3\xA9llo " + kThumbsMedium,
                 2,
                 false,
                 {ctrl("a"), key(NamedKey::Backspace)},
                 "",
                 0,
                 {}},
        EditCase{"UpAndDownInOneLineGoToTheEnds",
                 "abc",
                 1,
                 false,
                 {key(NamedKey::ArrowUp), type("<"), key(NamedKey::ArrowDown), type(">")},
                 "<abc>",
                 5,
                 {}},
        EditCase{"ShiftEnterInsertsALineFeedInAMultiLineInput",
                 "ab",
                 1,
                 true,
                 {shift(NamedKey::Enter)},
                 "a\nb",
                 2,
                 {}},
        EditCase{"ShiftEnterInsertsNothingInAOneLineInput",
                 "ab",
                 1,
                 false,
                 {shift(NamedKey::Enter), key(NamedKey::Enter)},
                 "ab",
                 1,
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever arrives in whatever order, the input holds clean text and its caret, anchor and
// selection stay on character boundaries inside it. Fragments include the pieces emoji and
// marks are built from (a lone joiner, a lone skin tone, half a flag) and broken bytes.
TEST(EditInvariants, RandomEventSequencesKeepTextCleanAndOffsetsOnBoundaries) {
  const std::vector<std::string> fragments = {"a",
                                              " ",
                                              "word ",
                                              "\xC3\xA9",
                                              "\xE4\xB8\x96",
                                              kAcute,
                                              kThumbsMedium,
                                              kFamily,
                                              kFrance,
                                              "\xE2\x80\x8D",
                                              "\xF0\x9F\x8F\xBD",
                                              "\xF0\x9F\x87\xAB",
                                              "\xFF",
                                              "\xE2\x82",
                                              "x\ny",
                                              "\r\n",
                                              "\t",
                                              std::string("\0", 1)};
  const std::vector<NamedKey> keys = {NamedKey::ArrowLeft, NamedKey::ArrowRight, NamedKey::ArrowUp,
                                      NamedKey::ArrowDown, NamedKey::Home,       NamedKey::End,
                                      NamedKey::Backspace, NamedKey::Delete,     NamedKey::Enter,
                                      NamedKey::Insert};
  const std::vector<const char*> letters = {"a", "c", "x", "v"};
  std::mt19937 rng(20261210);
  auto pick = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };

  Theme theme = Theme::dark();
  Scene scene(320, 120);
  TextRenderer renderer;
  for (int session = 0; session < 24; ++session) {
    TextInput input = TextInput::local();
    bool multiline = session % 2 == 0;
    input.set_multiline(multiline);
    input.apply_layout_external({10, 10, 200, 60});
    input.set_focused(true);
    MemoryClipboard clipboard;
    ToolkitCtx ctx{clipboard, {}};
    for (int step = 0; step < 250; ++step) {
      Modifiers mods{pick(3) == 0, pick(3) == 0, false, false};
      std::string fragment = fragments[pick(fragments.size())] + fragments[pick(fragments.size())];
      switch (pick(10)) {
        case 0:
        case 1:
          input.handle_event(TextEvent{fragment}, {}, 1.0, ctx);
          break;
        case 2:
        case 3:
          input.handle_event(KeyEvent{keys[pick(keys.size())]}, mods, 1.0, ctx);
          break;
        case 4:
          input.handle_event(KeyEvent{std::string(letters[pick(letters.size())])},
                             {.control = true}, 1.0, ctx);
          break;
        case 5:
          input.handle_event(CompositionEvent{fragment, pick(fragment.size() + 2)}, {}, 1.0, ctx);
          break;
        case 6:
          input.set_text_with_cursor(input.text() + fragment, pick(input.text().size() + 4));
          break;
        case 7:
          clipboard.set_text(fragment);
          input.insert_text(fragment);
          break;
        case 8: {
          DrawCtx draw_ctx{Affine::identity(), 1.0, {}};
          input.draw(scene, renderer, theme, draw_ctx);
          double x = 10 + static_cast<double>(pick(200)), y = 10 + static_cast<double>(pick(60));
          input.handle_event(PointerMoved{x, y}, {}, 1.0, ctx);
          input.handle_event(PointerButton{PointerButtonKind::Primary, ElementState::Pressed,
                                           static_cast<std::uint8_t>(1 + pick(2))},
                             mods, 1.0, ctx);
          break;
        }
        default:
          input.perform_action({static_cast<std::uint8_t>(pick(2) ? 7 : 8), fragment});
          break;
      }
      const std::string& text = input.text();
      SCOPED_TRACE(testing::Message() << "session " << session << " step " << step);
      ASSERT_EQ(text_edit::sanitize(text, !multiline), text);
      ASSERT_EQ(text_edit::sanitize(input.composition(), true), input.composition());
      ASSERT_LE(input.cursor(), text.size());
      ASSERT_EQ(text_edit::snap_to_grapheme(text, input.cursor()), input.cursor());
      if (auto anchor = input.selection_anchor()) {
        ASSERT_LE(*anchor, text.size());
        ASSERT_EQ(text_edit::snap_to_grapheme(text, *anchor), *anchor);
      }
      auto [from, to] = input.selection_range();
      ASSERT_LE(from, to);
      ASSERT_LE(to, text.size());
    }
  }
}

}  // namespace
}  // namespace vesk_ui
