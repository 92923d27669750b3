#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <vesk_ui/avatar.hpp>

#include "app/avatar_presence.hpp"
#include "app/color_math.hpp"
#include "app/reply_authors.hpp"
#include "app/ui_text.hpp"

namespace chat::app {
namespace {

using vesk_ui::Color;

TEST(AvatarWithPresence, DrawsTheDotOnlyForTheFourPresences) {
  vesk_ui::Theme theme = vesk_ui::Theme::dark();
  vesk_ui::TextRenderer text;
  const double cx = 50, cy = 50, r = 30;
  const int dot_x = static_cast<int>(cx + 0.72 * r), dot_y = static_cast<int>(cy + 0.72 * r);
  // Ring: between the dot (0.32 r = 9.6) and its surround (11.6) on the diagonal outwards.
  const int ring_x = static_cast<int>(cx + 0.72 * r + 7.5),
            ring_y = static_cast<int>(cy + 0.72 * r + 7.5);
  struct Case {
    std::optional<PresenceCode> presence;
    std::optional<Color> dot;
  };
  const std::vector<Case> cases = {
      {0, theme.presence_online},   {1, theme.presence_idle}, {2, theme.presence_dnd},
      {3, theme.presence_offline},  {4, std::nullopt},        {255, std::nullopt},
      {std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    vesk_ui::Scene scene(100, 100);
    vesk_ui::Painter painter{scene, text};
    avatar_with_presence(painter, theme, "AL", 11, c.presence, cx, cy, r);
    Color fill = palette_color(theme, 11);
    std::string what = c.presence ? std::to_string(int{*c.presence}) : "none";
    EXPECT_EQ(scene.pixel(static_cast<int>(cx - r + 4), static_cast<int>(cy)), fill) << what;
    if (c.dot) {
      EXPECT_EQ(scene.pixel(dot_x, dot_y).to_rgb(), c.dot->to_rgb()) << what;
      EXPECT_EQ(scene.pixel(ring_x, ring_y).to_rgb(), theme.surface.to_rgb()) << what;
    } else {
      // Exactly the bare avatar: nothing drawn around the dot's place.
      vesk_ui::Scene bare(100, 100);
      vesk_ui::Painter bare_painter{bare, text};
      vesk_ui::Avatar::draw_at(bare_painter, {cx - r, cy - r, cx + r, cy + r}, "AL", fill);
      for (int y = dot_y - 12; y <= dot_y + 12; ++y)
        for (int x = dot_x - 12; x <= dot_x + 12; ++x)
          ASSERT_EQ(scene.pixel(x, y), bare.pixel(x, y)) << what << " " << x << "," << y;
    }
  }
}

TEST(UiText, CatalogHoldsTheWindowsTexts) {
  struct Case {
    const char* key;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"chat-mention-agent-tag", "agent"},
      {"chat-identity-available", "Available"},
      {"chat-identity-in-voice", "In voice"},
      {"chat-sidebar-add-category", "＋ Category"},
      {"chat-call-mute", "Mute"},
      {"chat-call-unmute", "Unmute"},
      {"chat-call-deafen", "Deafen"},
      {"chat-call-undeafen", "Undeafen"},
      {"chat-call-audio-only", "Audio only"},
      {"chat-call-collapse", "Collapse"},
      {"chat-call-leave", "Leave"},
      {"chat-no-such-key", "chat-no-such-key"},
  };
  for (const Case& c : cases) EXPECT_EQ(ui_text(c.key), c.text) << c.key;
  EXPECT_EQ(vesk_ui::parse_fluent_messages(en_us_messages()).size(), 11u);
  EXPECT_EQ(ui_catalog().locale(), "en-US");
}

struct Message {
  std::string id;
  std::string author;
  std::optional<std::string> parent;
};

TEST(ReplyAuthors, DistinctAuthorsOfTheRepliesInMessageOrder) {
  const std::vector<Message> messages = {
      {"m1", "u_a", std::nullopt}, {"m2", "u_b", "m1"}, {"m3", "u_c", "m9"},
      {"m4", "u_a", "m1"},         {"m5", "u_b", "m1"}, {"m6", "u_d", "m1"},
      {"m7", "u_e", std::nullopt},
  };
  EXPECT_EQ(reply_authors(messages, "m1"), (std::vector<std::string>{"u_b", "u_a", "u_d"}));
  EXPECT_EQ(reply_authors(messages, "m9"), (std::vector<std::string>{"u_c"}));
  EXPECT_TRUE(reply_authors(messages, "m7").empty());
  EXPECT_TRUE(reply_authors(std::vector<Message>{}, "m1").empty());
}

}  // namespace
}  // namespace chat::app
