#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <vesk_ui/presence.hpp>

#include "app/color_math.hpp"
#include "app/mention_spans.hpp"

namespace chat::app {
namespace {

using vesk_ui::Color;
using vesk_ui::contrast_ratio;
using vesk_ui::RichSpan;

// The shape of the message records that carry mentions.
struct Mention {
  std::string user;
  std::uint64_t start;
  std::uint64_t len;
  bool is_agent;
};

struct SpanRun {
  std::string text;
  bool coloured;
  bool background;
  friend bool operator==(const SpanRun&, const SpanRun&) = default;
};

std::vector<SpanRun> runs_of(const std::vector<RichSpan>& spans) {
  std::vector<SpanRun> out;
  for (const RichSpan& s : spans)
    out.push_back({s.text, s.color.has_value(), s.background.has_value()});
  return out;
}

class MentionSpans : public ::testing::Test {
 protected:
  vesk_ui::Theme theme = vesk_ui::Theme::dark();
  Color bg = theme.window_bg;
  std::map<std::string, Color, std::less<>> presence = {{"u_ana", Color::from_rgb(0x203040)}};
  MentionPeople people{[](std::string_view user) { return user == "u_me" || user == "u_me_old"; },
                       [this](std::string_view user) -> std::optional<Color> {
                         auto it = presence.find(user);
                         if (it == presence.end()) return std::nullopt;
                         return it->second;
                       }};
};

TEST_F(MentionSpans, SplitsTextIntoPlainRunsAndMentionRuns) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<Mention> mentions;
    std::vector<SpanRun> want;
  };
  const std::vector<Case> cases = {
      {"no mentions", "hello there", {}, {{"hello there", false, false}}},
      {"empty text", "", {}, {}},
      {"one in the middle",
       "hi @Ana ok",
       {{"u_ana", 3, 4, false}},
       {{"hi ", false, false}, {"@Ana", true, false}, {" ok", false, false}}},
      {"at both ends",
       "@Ana and @Bo",
       {{"u_bo", 9, 3, false}, {"u_ana", 0, 4, false}},
       {{"@Ana", true, false}, {" and ", false, false}, {"@Bo", true, false}}},
      {"overlap: the second is skipped and stays plain",
       "@Ana Bell x",
       {{"u_ana", 0, 9, false}, {"u_bo", 5, 4, false}},
       {{"@Ana Bell", true, false}, {" x", false, false}}},
      {"runs past the end", "hey @Ana", {{"u_ana", 4, 10, false}}, {{"hey @Ana", false, false}}},
      {"starts past the end", "hey", {{"u_ana", 40, 1, false}}, {{"hey", false, false}}},
      {"huge length does not wrap around",
       "hey @Ana",
       {{"u_ana", 4, ~std::uint64_t{0}, false}},
       {{"hey @Ana", false, false}}},
      {"ends inside a character", "é@Zoë!", {{"u_z", 2, 4, false}}, {{"é@Zoë!", false, false}}},
      {"starts inside a character",
       "é@Zo",
       {{"u_z", 1, 3, false}, {"u_y", 0, 1, false}},
       {{"é@Zo", false, false}}},
      {"on character boundaries",
       "é@Zoë!",
       {{"u_z", 2, 5, false}},
       {{"é", false, false}, {"@Zoë", true, false}, {"!", false, false}}},
      {"local user gets a background",
       "@Me hi",
       {{"u_me", 0, 3, false}},
       {{"@Me", true, true}, {" hi", false, false}}},
      {"earlier local id too", "@Me", {{"u_me_old", 0, 3, false}}, {{"@Me", true, true}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runs_of(mention_spans(c.text, c.mentions, theme, bg, people)), c.want) << c.what;
  }
}

TEST_F(MentionSpans, MentionColoursReadOnTheMessageBackground) {
  std::string text = "@Ana @Zed @Me";
  std::vector<Mention> mentions = {
      {"u_ana", 0, 4, false}, {"u_zed", 5, 4, false}, {"u_me", 10, 3, false}};
  auto spans = mention_spans(text, mentions, theme, bg, people);
  ASSERT_EQ(spans.size(), 5u);

  // Presence gave Ana a dark blue that does not read on the dark ground: raised to 4.5.
  Color ana = *spans[0].color;
  EXPECT_EQ(ana, ensure_contrast(presence["u_ana"], bg, theme.text_primary, 4.5));
  EXPECT_GE(contrast_ratio(ana, bg), 4.5);
  // Zed has no presence colour: the toolkit's colour of the id.
  EXPECT_EQ(*spans[2].color,
            ensure_contrast(vesk_ui::presence::user_color("u_zed"), bg, theme.text_primary, 4.5));

  // The local user's mention: a highlight at least 3 against the message, text 4.5 on it.
  Color me = vesk_ui::presence::user_color("u_me");
  Color highlight = *spans[4].background;
  EXPECT_EQ(highlight, raise_contrast(mix_color(bg, me, 0.78), me, bg, 3.0));
  EXPECT_GE(contrast_ratio(highlight, bg), 3.0);
  EXPECT_GE(contrast_ratio(*spans[4].color, highlight), 4.5);
  EXPECT_FALSE(spans[1].color);
  EXPECT_FALSE(spans[3].background);
}

TEST_F(MentionSpans, ShapesAtFifteenPixelsForTheWidth) {
  vesk_ui::TextRenderer text;
  std::vector<Mention> mentions = {{"u_ana", 3, 4, false}};
  auto spans =
      mention_spans("hi @Ana, a long message that needs wrapping", mentions, theme, bg, people);
  auto layout = shape_message_text(text, spans, 120);
  EXPECT_EQ(layout->text(), "hi @Ana, a long message that needs wrapping");
  EXPECT_GT(layout->line_count(), 1);
  EXPECT_LE(layout->width(), 120);
  EXPECT_DOUBLE_EQ(layout->line_height(), text.shape("hi", 15)->line_height());
}

}  // namespace
}  // namespace chat::app
