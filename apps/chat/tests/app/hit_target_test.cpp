#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/hit_target.hpp"

namespace chat::app {
namespace {

using vesk_ui::Rect;

TEST(HitTarget, IdsAreStableAndCarryTheirPayload) {
  struct Case {
    HitTarget target;
    std::string id;
  };
  const std::vector<Case> cases = {
      {hit::Inbox{}, "chat.inbox"},
      {hit::CurrentContext{}, "chat.current-context"},
      {hit::Channel{"c_1"}, "chat.channel:c_1"},
      {hit::VoiceChannel{"c_v"}, "chat.voice-channel:c_v"},
      {hit::CategoryToggle{"cat_1"}, "chat.category-toggle:cat_1"},
      {hit::AddChannel{"ws_1", "cat_1"}, "chat.add-channel:ws_1:cat_1"},
      {hit::AddCategory{"ws_1"}, "chat.add-category:ws_1"},
      {hit::FocusRename{}, "chat.rename"},
      {hit::Reaction{"m_1", "👍"}, "chat.reaction:m_1:👍"},
      {hit::AddReaction{"m_1", {3, 4}}, "chat.add-reaction:m_1"},
      {hit::OpenThread{"m_1"}, "chat.open-thread:m_1"},
      {hit::EditHistory{"m_1", {3, 4}}, "chat.edit-history:m_1"},
      {hit::MessageMenu{"m_1"}, "chat.control:MessageMenu { msg: \"m_1\" }"},
      {hit::MessageMenu{"a\"b\\c"}, "chat.control:MessageMenu { msg: \"a\\\"b\\\\c\" }"},
      {hit::EditSave{}, "chat.edit-save"},
      {hit::EditCancel{}, "chat.edit-cancel"},
      {hit::FocusEdit{}, "chat.message-edit"},
      {hit::EmojiChoice{"🎉"}, "chat.emoji-choice:🎉"},
      {hit::FocusMain{}, "chat.composer"},
      {hit::FocusThread{}, "chat.thread-composer"},
      {hit::Send{}, "chat.send"},
      {hit::JumpToLatest{}, "chat.jump-to-latest"},
      {hit::ComposerEmoji{{1, 2}}, "chat.composer-emoji"},
      {hit::Attach{}, "chat.attach"},
      {hit::AttachPick{"a b.png"}, "chat.attach-pick:a b.png"},
      {hit::StartCall{}, "chat.start-call"},
      {hit::CloseThread{}, "chat.close-thread"},
      {hit::CallDragHandle{}, "chat.control:CallDragHandle"},
      {hit::CallParticipantsToggle{}, "chat.call-participants"},
      {hit::CallMute{}, "chat.call-mute"},
      {hit::CallDeafen{}, "chat.call-deafen"},
      {hit::CallAudioOnly{}, "chat.call-audio-only"},
      {hit::CallShareScreen{}, "chat.call-share-screen"},
      {hit::CallExpand{}, "chat.call-expand"},
      {hit::CallLeave{}, "chat.call-leave"},
      {hit::ToggleLeftFlap{}, "chat.toggle-navigation"},
      {hit::ToggleRightFlap{}, "chat.toggle-details"},
      {hit::Dismiss{}, "chat.control:Dismiss"},
  };
  std::vector<bool> seen(std::variant_size_v<HitTarget>);
  for (const Case& c : cases) {
    EXPECT_EQ(hit_target_id(c.target), c.id);
    seen[c.target.index()] = true;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0) << "every kind has a case";
}

TEST(HitTarget, DebugTextNamesTheFields) {
  EXPECT_EQ(hit_target_debug(hit::AddChannel{"w", "c"}),
            "AddChannel { workspace: \"w\", category: \"c\" }");
  EXPECT_EQ(hit_target_debug(hit::Channel{"c_1"}), "Channel(\"c_1\")");
  EXPECT_EQ(hit_target_debug(hit::AddReaction{"m", {12, 4.5}}),
            "AddReaction { msg: \"m\", anchor: Point { x: 12.0, y: 4.5 } }");
  EXPECT_EQ(hit_target_name(hit::CallLeave{}), "CallLeave");
}

std::vector<HitRegion> regions(std::initializer_list<std::pair<Rect, HitTarget>> list) {
  std::vector<HitRegion> out;
  for (const auto& [rect, target] : list) push_hit_region(out, rect, target);
  return out;
}

TEST(HitTesting, TheLastRegionContainingThePointWins) {
  const std::vector<HitRegion> list = regions({
      {{0, 0, 100, 100}, hit::Dismiss{}},
      {{10, 10, 50, 50}, hit::Channel{"under"}},
      {{30, 30, 60, 60}, hit::Channel{"over"}},
      {{60, 0, 80, 20}, hit::Send{}},
  });
  struct Case {
    double x, y;
    std::optional<HitTarget> expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Case> cases = {
      {40, 40, hit::Channel{"over"}},   // overlap: the later region
      {15, 15, hit::Channel{"under"}},  // only the earlier one
      {60, 10, hit::Send{}},            // shared edge x = 60 belongs to the region starting there
      {59.999, 40, hit::Channel{"over"}},
      {50, 20, hit::Dismiss{}},  // right edge of "under" is outside it
      {90, 90, hit::Dismiss{}},
      {100, 50, std::nullopt},
      {nan, 40, std::nullopt},
      {40, nan, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(hit_target_at(list, c.x, c.y), c.expected);
  }
  EXPECT_EQ(hit_target_at({}, 1, 1), std::nullopt);
}

TEST(HitTesting, EmptyRectanglesContainNothing) {
  const std::vector<HitRegion> list = regions({
      {{10, 10, 10, 20}, hit::Send{}},
      {{10, 20, 20, 10}, hit::Attach{}},
  });
  EXPECT_EQ(hit_target_at(list, 10, 10), std::nullopt);
  EXPECT_EQ(hit_target_at(list, 15, 15), std::nullopt);
}

TEST(HitTesting, TheCursorWalksBackOverActionableRegionsOnly) {
  const std::vector<HitRegion> list = regions({
      {{0, 0, 100, 100}, hit::Channel{"row"}},
      {{0, 0, 100, 100}, hit::Dismiss{}},
      {{0, 0, 50, 50}, hit::Send{}},
      {{0, 0, 100, 100}, hit::Dismiss{}},
  });
  HitCursor cursor(list);
  ASSERT_TRUE(hit_test_regions(cursor, {10, 10}));
  EXPECT_EQ(cursor.region().target, HitTarget{hit::Send{}});
  ASSERT_TRUE(hit_test_regions(cursor, {10, 10}));
  EXPECT_EQ(cursor.region().target, HitTarget{hit::Channel{"row"}});
  EXPECT_FALSE(hit_test_regions(cursor, {10, 10}));
  EXPECT_FALSE(hit_test_regions(cursor, {10, 10}));

  const std::vector<HitRegion> dismiss = regions({{{0, 0, 100, 100}, hit::Dismiss{}}});
  HitCursor c2(dismiss);
  EXPECT_EQ(hit_target_at(dismiss, 5, 5), HitTarget{hit::Dismiss{}});
  EXPECT_FALSE(hit_test_regions(c2, {5, 5}));
}

}  // namespace
}  // namespace chat::app
