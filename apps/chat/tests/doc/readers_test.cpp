#include "doc/readers.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::map_at;
using testing::put;

std::vector<std::string> ids_of(const auto& records) {
  std::vector<std::string> out;
  for (const auto& r : records) out.push_back(r.id);
  return out;
}

TEST(ListReaders, MissingCollectionsGiveEmptyLists) {
  crdt::Document doc;
  EXPECT_TRUE(list_people(doc).empty());
  EXPECT_TRUE(list_workspaces(doc).empty());
  EXPECT_TRUE(list_categories(doc).empty());
  EXPECT_TRUE(list_channels(doc).empty());
  EXPECT_TRUE(list_call_participants(doc, "c1").empty());

  // A collection key holding a scalar is as good as missing.
  put(doc, crdt::ROOT, "channels", "broken");
  EXPECT_TRUE(list_channels(doc).empty());
}

TEST(ListChannels, DecodesFieldsWithDefaultsAndSkipsNonMaps) {
  crdt::Document doc;
  crdt::ObjId channels = map_at(doc, {"channels"});
  put(doc, channels, "c_str", "not a record");
  crdt::ObjId full = map_at(doc, {"channels", "c_full"});
  put(doc, full, "workspace", "ws");
  put(doc, full, "category", "cat");
  put(doc, full, "name", "general");
  put(doc, full, "topic", "news");
  put(doc, full, "kind", "voice");
  put(doc, full, "order", std::int64_t{2});
  put(doc, full, "archived", true);
  (void)map_at(doc, {"channels", "c_bare"});

  auto list = list_channels(doc);
  ASSERT_EQ(ids_of(list), (std::vector<std::string>{"c_bare", "c_full"}));
  Channel bare;
  bare.id = "c_bare";
  EXPECT_EQ(list[0], bare);
  EXPECT_EQ(list[1],
            (Channel{"c_full", "ws", "cat", "general", "news", ChannelKind::Voice, 2, 0, true}));
}

TEST(ListChannels, KindIsVoiceOnlyForTheExactText) {
  struct Case {
    std::optional<crdt::ScalarValue> kind;
    ChannelKind expected;
  };
  const std::vector<Case> cases = {
      {crdt::ScalarValue("voice"), ChannelKind::Voice},
      {crdt::ScalarValue("Voice"), ChannelKind::Text},
      {crdt::ScalarValue("text"), ChannelKind::Text},
      {crdt::ScalarValue(std::int64_t{1}), ChannelKind::Text},
      {std::nullopt, ChannelKind::Text},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    crdt::ObjId record = map_at(doc, {"channels", "c1"});
    if (c.kind) put(doc, record, "kind", *c.kind);
    auto list = list_channels(doc);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].kind, c.expected);
  }
}

TEST(ListChannels, SortsStablyByUnsignedOrder) {
  crdt::Document doc;
  // Keys iterate in byte order: a, b, c, d, e.
  const std::vector<std::pair<const char*, crdt::ScalarValue>> stored = {
      {"a", crdt::ScalarValue(std::int64_t{-1})},  // low 32 bits: 4294967295, sorts last
      {"b", crdt::ScalarValue(std::int64_t{1})},
      {"c", crdt::ScalarValue(3.9)},              // reads as 3
      {"d", crdt::ScalarValue(std::int64_t{1})},  // ties with b, keeps key order
      {"e", crdt::ScalarValue("0")},              // a string reads as 0
  };
  for (const auto& [id, order] : stored) put(doc, map_at(doc, {"channels", id}), "order", order);
  auto list = list_channels(doc);
  EXPECT_EQ(ids_of(list), (std::vector<std::string>{"e", "b", "d", "c", "a"}));
  EXPECT_EQ(list.back().order, 4294967295u);
  EXPECT_EQ(list[3].order, 3u);
}

TEST(ListWorkspacesAndCategories, DecodeAndSortByOrder) {
  crdt::Document doc;
  crdt::ObjId w2 = map_at(doc, {"workspaces", "w2"});
  put(doc, w2, "name", "Two");
  put(doc, w2, "glyph", "TW");
  put(doc, w2, "color_idx", std::uint64_t{18446744073709551615u});
  put(doc, w2, "order", std::int64_t{0});
  put(doc, map_at(doc, {"workspaces", "w1"}), "order", std::int64_t{1});
  auto workspaces = list_workspaces(doc);
  ASSERT_EQ(ids_of(workspaces), (std::vector<std::string>{"w2", "w1"}));
  EXPECT_EQ(workspaces[0], (Workspace{"w2", "Two", "TW", -1, 0}));

  crdt::ObjId cat = map_at(doc, {"categories", "cat_b"});
  put(doc, cat, "workspace", "w1");
  put(doc, cat, "name", "Voice");
  put(doc, cat, "order", std::int64_t{0});
  put(doc, cat, "collapsed", true);
  put(doc, map_at(doc, {"categories", "cat_a"}), "order", std::int64_t{5});
  auto categories = list_categories(doc);
  ASSERT_EQ(ids_of(categories), (std::vector<std::string>{"cat_b", "cat_a"}));
  EXPECT_EQ(categories[0], (Category{"cat_b", "w1", "Voice", 0, true}));
}

TEST(ListPeople, KeepsKeyOrderAndReadsStatusAndAgentFlag) {
  crdt::Document doc;
  crdt::ObjId bot = map_at(doc, {"users", "u_bot"});
  put(doc, bot, "name", "Helper");
  put(doc, bot, "initials", "HB");
  put(doc, bot, "color_idx", std::int64_t{4});
  put(doc, bot, "status", "dnd");
  put(doc, bot, "agent", true);
  crdt::ObjId ann = map_at(doc, {"users", "u_ann"});
  put(doc, ann, "status", "away");
  put(doc, map_at(doc, {"users"}), "u_broken", std::int64_t{3});

  auto people = list_people(doc);
  ASSERT_EQ(ids_of(people), (std::vector<std::string>{"u_ann", "u_bot"}));
  EXPECT_EQ(people[0], (Person{"u_ann", "", "", 0, false, PresenceStatus::Online}));
  EXPECT_EQ(people[1], (Person{"u_bot", "Helper", "HB", 4, true, PresenceStatus::Dnd}));
}

TEST(PresenceStatus, TextsRoundTripAndUnknownReadsOnline) {
  for (auto status : {PresenceStatus::Online, PresenceStatus::Idle, PresenceStatus::Dnd,
                      PresenceStatus::Offline}) {
    EXPECT_EQ(parse_status(status_text(status)), status);
  }
  EXPECT_EQ(status_text(PresenceStatus::Dnd), "dnd");
  for (const char* other : {"", "Idle", "busy", "online "}) {
    EXPECT_EQ(parse_status(other), PresenceStatus::Online) << other;
  }
}

TEST(ListCallParticipants, TalkingFirstThenByIdWithTicketsWhenNotEmpty) {
  crdt::Document doc;
  crdt::ObjId p1 = map_at(doc, {"voice", "c_call", "p1"});
  put(doc, p1, "talking", false);
  put(doc, p1, "ticket", "");
  crdt::ObjId p3 = map_at(doc, {"voice", "c_call", "p3"});
  put(doc, p3, "talking", true);
  put(doc, p3, "sharing", true);
  put(doc, p3, "ticket", "tk3");
  crdt::ObjId p2 = map_at(doc, {"voice", "c_call", "p2"});
  put(doc, p2, "talking", true);
  put(doc, p2, "muted", true);
  put(doc, p2, "deafened", true);
  put(doc, p2, "audio_only", true);
  put(doc, map_at(doc, {"voice", "c_call"}), "p0", "not a participant");

  auto list = list_call_participants(doc, "c_call");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], (CallParticipant{"p2", std::nullopt, true, true, true, true, false}));
  EXPECT_EQ(list[1], (CallParticipant{"p3", "tk3", true, false, false, false, true}));
  EXPECT_EQ(list[2], (CallParticipant{"p1", std::nullopt, false, false, false, false, false}));
  EXPECT_TRUE(list_call_participants(doc, "c_other").empty());
}

TEST(ChannelInGroup, NeedsWorkspaceCategoryAndTextKind) {
  struct Case {
    Channel channel;
    bool expected;
  };
  auto channel = [](std::string workspace, std::string category, ChannelKind kind, bool archived) {
    return Channel{"c", std::move(workspace), std::move(category), "n", "", kind, 0, 0, archived};
  };
  const std::vector<Case> cases = {
      {channel("w", "k", ChannelKind::Text, false), true},
      {channel("w", "k", ChannelKind::Text, true), true},
      {channel("w", "k", ChannelKind::Voice, false), false},
      {channel("w", "", ChannelKind::Text, false), false},
      {channel("x", "k", ChannelKind::Text, false), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(channel_in_group(c.channel, "w", "k"), c.expected)
        << c.channel.workspace << "/" << c.channel.category;
  }
}

}  // namespace
}  // namespace chat::doc
