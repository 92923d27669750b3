#include <gtest/gtest.h>

#include "app/message_list.hpp"
#include "window_test_support.hpp"

namespace chat::app {
namespace {

using testing::message;

TEST(MessageGroups, RunsOfOneAuthorAtMostFiveMinutesApart) {
  const std::vector<doc::ChatMessage> messages = {
      message("m1", "u_a", 1000),
      message("m2", "u_a", 1300),                 // 300 s after m1: same group
      message("m3", "u_a", 1601),                 // 301 s after m2: new group
      message("r1", "u_a", 1602, "reply", "m3"),  // replies live in threads
      message("m4", "u_b", 1603),
      message("m5", "u_a", 1604),  // another author in between splits the run
      message("m6", "u_a", 1500),  // earlier in time but within 300 s: joins
  };
  const std::vector<MessageGroup> groups = group_messages(messages);
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0].indices, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(groups[1].indices, (std::vector<std::size_t>{2}));
  EXPECT_EQ(groups[2].author, "u_b");
  EXPECT_EQ(groups[3].indices, (std::vector<std::size_t>{5, 6}));
}

TEST(MessageGroups, FarApartTimesNeverJoin) {
  const std::vector<doc::ChatMessage> messages = {
      message("m1", "u_a", std::numeric_limits<std::int64_t>::min()),
      message("m2", "u_a", std::numeric_limits<std::int64_t>::max()),
  };
  EXPECT_EQ(group_messages(messages).size(), 2u);
}

TEST(MessageLabels, DaysCountAgainstTheFixedInstantNotTheClock) {
  struct Case {
    std::int64_t ts;
    std::string label;
  };
  const std::vector<Case> cases = {
      {kDayReference, "Today"},
      {1782432000, "Today"},      // 2026-06-26 00:00:00
      {1782431999, "Yesterday"},  // 2026-06-25 23:59:59
      {1782345600, "Yesterday"},  // 2026-06-25 00:00:00
      {1782345599, "Wednesday, June 24"},
      {1782518400, "Saturday, June 27"},  // later than the reference
      {1777593600, "Friday, May 1"},
      {1767225599, "December 31, 2025"},
  };
  for (const Case& c : cases) EXPECT_EQ(day_label(c.ts), c.label) << c.ts;
}

TEST(MessageLabels, TimesAreUtcHoursAndMinutes) {
  EXPECT_EQ(time_label(kDayReference), "12:40");
  EXPECT_EQ(time_label(0), "00:00");
  EXPECT_EQ(time_label(1782431999), "23:59");
  EXPECT_EQ(time_label(-60), "23:59");
}

TEST(MessageRows, HeightAddsThePartsThatAreThere) {
  struct Case {
    MessageRow row;
    double height;
  };
  const std::vector<Case> cases = {
      {{.id = "", .header_h = 20, .text_h = 18, .first = true}, 14 + 20 + 18 + 2 + 4},
      {{.id = "", .text_h = 18}, 3 + 18 + 2 + 4},
      {{.id = "", .text_h = 0, .attachment_h = 100}, 3 + 100 + 4},  // no text part
      {{.id = "", .text_h = 19, .edit_h = 30, .editing = true}, 3 + 19 + 16 + 30 + 4},
      {{.id = "", .text_h = 18, .reactions_h = 32, .edited_h = 18, .thread_h = 46},
       3 + 18 + 2 + 18 + 32 + 46 + 4},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(message_row_height(c.row), c.height);
}

TEST(MessageRows, RepliesCountForTheirParent) {
  const std::vector<doc::ChatMessage> messages = {
      message("p", "u_a", 10),
      message("r1", "u_b", 30, "x", "p"),
      message("r2", "u_c", 20, "y", "p"),
      message("q", "u_a", 40),
  };
  EXPECT_EQ(reply_count(messages, "p"), 2u);
  EXPECT_EQ(latest_reply_ts(messages, "p"), 30);
  EXPECT_EQ(reply_count(messages, "q"), 0u);
  EXPECT_EQ(latest_reply_ts(messages, "q"), std::nullopt);
  const ReplyIndex index = index_replies(messages);
  EXPECT_EQ(index.at("p").count, 2u);
  EXPECT_EQ(index.at("p").latest_ts, 30);
  EXPECT_FALSE(index.contains("q"));
}

// A list of `count` messages of alternating authors, far apart so each is its own group.
std::vector<doc::ChatMessage> spread_messages(int count) {
  std::vector<doc::ChatMessage> messages;
  for (int i = 0; i < count; ++i) {
    messages.push_back(message("m" + std::to_string(i), i % 2 ? "u_a" : "u_b", 1000 * i));
  }
  return messages;
}

class MessageListScroll : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = chat_app_base();
    app_->bounds = {0, 0, 1280, 800};
    app_->view.current_conversation = "c_test";
  }
  MessageListLayout layout() {
    ListGeometry g;
    g.left = 0;
    g.right = 900;
    g.area = {0, 100, 900, 500};  // 400 high
    g.text_x = 70;
    g.text_width = 812;
    return layout_message_list(*app_, text_, theme_, g);
  }
  std::unique_ptr<ChatApp> app_;
  vesk_ui::TextRenderer text_;
  vesk_ui::Theme theme_ = vesk_ui::Theme::dark();
};

TEST_F(MessageListScroll, ShortContentStartsAtTheTop) {
  app_->view.messages = spread_messages(2);
  app_->scroll_offset = 50;  // nothing to scroll: clamped away
  const MessageListLayout list = layout();
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_LT(list.content_height, 400);
  EXPECT_DOUBLE_EQ(list.content_top, 100);
  EXPECT_DOUBLE_EQ(app_->scroll_offset, 0);
  EXPECT_TRUE(app_->follow_latest);
  EXPECT_DOUBLE_EQ(app_->list_height, list.content_height);
}

TEST_F(MessageListScroll, LongContentEndsAtTheBottomAndClampsAtBothEnds) {
  app_->view.messages = spread_messages(40);
  struct Case {
    double requested;
    bool at_top;
  };
  for (const Case& c : {Case{0, false}, Case{-500, false}, Case{1e9, true}}) {
    SetUp();
    app_->view.messages = spread_messages(40);
    app_->scroll_offset = c.requested;
    app_->follow_latest = false;
    const MessageListLayout list = layout();
    ASSERT_GT(list.content_height, 400);
    const double base = 500 - list.content_height;
    if (c.at_top) {
      EXPECT_DOUBLE_EQ(list.content_top, 100);
      EXPECT_DOUBLE_EQ(app_->scroll_offset, 100 - base);
      EXPECT_FALSE(app_->follow_latest);
    } else {
      EXPECT_DOUBLE_EQ(list.content_top, base);
      EXPECT_DOUBLE_EQ(app_->scroll_offset, 0);
      EXPECT_TRUE(app_->follow_latest);
    }
  }
}

TEST_F(MessageListScroll, ReadingOlderMessagesKeepsThemInPlaceWhenNewOnesArrive) {
  app_->view.messages = spread_messages(40);
  app_->scroll_offset = 300;
  app_->follow_latest = false;
  const MessageListLayout before = layout();
  const double top_before = before.content_top;
  app_->view.messages.push_back(message("new", "u_c", 999999));
  const MessageListLayout after = layout();
  EXPECT_GT(after.content_height, before.content_height);
  EXPECT_DOUBLE_EQ(after.content_top, top_before);  // the first message has not moved
  EXPECT_FALSE(app_->follow_latest);
}

TEST_F(MessageListScroll, FollowingTheLatestShowsNewMessagesAtTheBottom) {
  app_->view.messages = spread_messages(40);
  layout();
  ASSERT_TRUE(app_->follow_latest);
  app_->view.messages.push_back(message("new", "u_c", 999999));
  const MessageListLayout after = layout();
  EXPECT_DOUBLE_EQ(after.content_top, 500 - after.content_height);
  EXPECT_TRUE(app_->follow_latest);
}

TEST_F(MessageListScroll, RevealCentresTheMessageOrClampsNearTheEnds) {
  struct Case {
    std::string id;
    bool centred;
  };
  for (const Case& c :
       {Case{"m20", true}, Case{"m0", false}, Case{"m39", false}, Case{"m_missing", false}}) {
    SCOPED_TRACE(c.id);
    SetUp();
    app_->view.messages = spread_messages(40);
    app_->revealed_message = c.id;
    app_->reveal_pending = true;
    const MessageListLayout list = layout();
    EXPECT_FALSE(app_->reveal_pending);
    double y = list.content_top + 36;
    std::optional<double> centre;
    for (const MeasuredRow& row : list.rows) {
      if (row.row.id == c.id) centre = y + row.height / 2;
      y += row.height;
    }
    if (c.centred) {
      ASSERT_TRUE(centre);
      EXPECT_NEAR(*centre, 300, 1e-9);
    } else {
      // Clamped to an end: the content's top is at the list top or its bottom at the list's.
      const bool at_top = list.content_top == 100;
      const bool at_bottom = list.content_top == 500 - list.content_height;
      EXPECT_TRUE(at_top || at_bottom);
      if (c.id == "m0") {
        EXPECT_TRUE(at_top);
      } else {
        EXPECT_TRUE(at_bottom);
      }
    }
  }
}

TEST_F(MessageListScroll, RowsAreMeasuredInGroupOrderWithTheirParts) {
  app_->view.messages = {message("a1", "u_a", 0), message("a2", "u_a", 10, ""),
                         message("r", "u_b", 20, "reply", "a1")};
  app_->view.messages[1].reactions = {{"👍", {"u_b"}}};
  const MessageListLayout list = layout();
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_TRUE(list.rows[0].row.first);
  EXPECT_GT(list.rows[0].row.header_h, 0);
  EXPECT_GT(list.rows[0].row.thread_h, 0);  // a1 has a reply
  EXPECT_FALSE(list.rows[1].row.first);
  EXPECT_DOUBLE_EQ(list.rows[1].row.text_h, 0);  // empty text
  EXPECT_GE(list.rows[1].row.reactions_h, 26 + 6);
  double sum = 36;
  for (const MeasuredRow& row : list.rows) sum += message_row_height(row.row);
  EXPECT_DOUBLE_EQ(list.content_height, sum);
}

}  // namespace
}  // namespace chat::app
