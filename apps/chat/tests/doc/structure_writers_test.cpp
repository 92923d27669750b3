#include "doc/structure_writers.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "doc/readers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::has_key;
using testing::heads;
using testing::map_at;
using testing::put;

std::map<std::string, Channel> channels_by_id(const crdt::Document& doc) {
  std::map<std::string, Channel> out;
  for (Channel& c : list_channels(doc)) out[c.id] = c;
  return out;
}

std::uint32_t order_of(const crdt::Document& doc, const std::string& id) {
  return channels_by_id(doc).at(id).order;
}

TEST(PutChannel, WritesTheWholeRecordAndAVoiceCallMapOnce) {
  crdt::Document doc;
  put_channel(doc, "c_v", "ws", "cat", "Lounge", "chill", ChannelKind::Voice, 4);
  auto list = list_channels(doc);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0],
            (Channel{"c_v", "ws", "cat", "Lounge", "chill", ChannelKind::Voice, 4, 0, false}));
  crdt::ObjId call = map_at(doc, {"voice", "c_v"});
  EXPECT_EQ(doc.length(call), 0u);

  // Writing the channel again keeps a call in progress.
  put(doc, map_at(doc, {"voice", "c_v", "u1"}), "talking", true);
  put_channel(doc, "c_v", "ws", "cat", "Lounge", "chill", ChannelKind::Voice, 4);
  EXPECT_EQ(list_call_participants(doc, "c_v").size(), 1u);

  put_channel(doc, "c_t", "ws", "cat", "general", "", ChannelKind::Text, 0);
  EXPECT_FALSE(has_key(doc, map_at(doc, {"voice"}), "c_t"));
  EXPECT_FALSE(has_key(doc, map_at(doc, {"channels", "c_t"}), "archived"));
}

TEST(NextChannelOrder, CountsEveryChannelOfTheGroup) {
  crdt::Document doc;
  EXPECT_EQ(next_channel_order(doc, "ws", "cat"), 0u);
  put_channel(doc, "a", "ws", "cat", "a", "", ChannelKind::Text, 0);
  put_channel(doc, "b", "ws", "cat", "b", "", ChannelKind::Voice, 5);
  put_channel(doc, "c", "ws", "cat", "c", "", ChannelKind::Text, 1);
  archive_channel(doc, "b", true);
  put_channel(doc, "other_cat", "ws", "cat2", "x", "", ChannelKind::Text, 9);
  put_channel(doc, "other_ws", "ws2", "cat", "x", "", ChannelKind::Text, 9);
  EXPECT_EQ(next_channel_order(doc, "ws", "cat"), 6u);
  EXPECT_EQ(next_channel_order(doc, "ws", ""), 0u);
}

TEST(CreateChannel, GoesLastAndOverwritesAnExistingRecordButItsArchivedFlag) {
  crdt::Document doc;
  create_channel(doc, "ws", "cat", "c1", "one", ChannelKind::Text);
  create_channel(doc, "ws", "cat", "c2", "two", ChannelKind::Voice);
  EXPECT_EQ(order_of(doc, "c1"), 0u);
  EXPECT_EQ(order_of(doc, "c2"), 1u);

  crdt::ObjId c1 = map_at(doc, {"channels", "c1"});
  put(doc, c1, "topic", "old topic");
  archive_channel(doc, "c1", true);
  create_channel(doc, "ws2", "cat2", "c1", "renamed", ChannelKind::Voice);
  EXPECT_EQ(channels_by_id(doc).at("c1"),
            (Channel{"c1", "ws2", "cat2", "renamed", "", ChannelKind::Voice, 0, 0, true}));
}

TEST(ChannelFlags, RenameAlwaysWritesArchiveOnlyOnChangeAndMissingTargetsStayMissing) {
  crdt::Document doc;
  put_channel(doc, "c1", "ws", "", "general", "", ChannelKind::Text, 0);

  archive_channel(doc, "c1", false);  // already reads as false
  auto before = heads(doc);
  archive_channel(doc, "c1", false);
  EXPECT_EQ(heads(doc), before);
  EXPECT_FALSE(has_key(doc, map_at(doc, {"channels", "c1"}), "archived"));

  archive_channel(doc, "c1", true);
  before = heads(doc);
  archive_channel(doc, "c1", true);
  EXPECT_EQ(heads(doc), before);
  EXPECT_TRUE(channels_by_id(doc).at("c1").archived);

  rename_channel(doc, "c1", "general");
  EXPECT_NE(heads(doc), before) << "renames write unconditionally";

  before = heads(doc);
  rename_channel(doc, "nope", "x");
  archive_channel(doc, "nope", true);
  rename_category(doc, "nope", "x");
  set_category_collapsed(doc, "nope", true);
  reorder_channel(doc, "nope", true);
  move_channel_to_category(doc, "nope", "cat");
  EXPECT_EQ(heads(doc), before);
  EXPECT_EQ(list_channels(doc).size(), 1u);
  EXPECT_TRUE(list_categories(doc).empty());
}

TEST(ReorderChannel, SwapsWithTheNeighbourInsideTheGroupOnly) {
  struct Case {
    const char* what;
    const char* moved;
    bool up;
    std::map<std::string, std::uint32_t> expected;
  };
  const std::vector<Case> cases = {
      {"last moves up", "c", true, {{"a", 0}, {"b", 2}, {"c", 1}, {"x", 1}}},
      {"first moves down", "a", false, {{"a", 1}, {"b", 0}, {"c", 2}, {"x", 1}}},
      {"first cannot move up", "a", true, {{"a", 0}, {"b", 1}, {"c", 2}, {"x", 1}}},
      {"last cannot move down", "c", false, {{"a", 0}, {"b", 1}, {"c", 2}, {"x", 1}}},
      {"alone in its group", "x", true, {{"a", 0}, {"b", 1}, {"c", 2}, {"x", 1}}},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    put_channel(doc, "a", "ws", "cat", "a", "", ChannelKind::Text, 0);
    put_channel(doc, "b", "ws", "cat", "b", "", ChannelKind::Voice, 1);  // voice takes part
    put_channel(doc, "c", "ws", "cat", "c", "", ChannelKind::Text, 2);
    put_channel(doc, "x", "ws", "other", "x", "", ChannelKind::Text, 1);
    archive_channel(doc, "c", true);  // archived takes part too
    auto before = heads(doc);
    reorder_channel(doc, c.moved, c.up);
    std::map<std::string, std::uint32_t> orders;
    for (const auto& [id, channel] : channels_by_id(doc)) orders[id] = channel.order;
    EXPECT_EQ(orders, c.expected) << c.what;
    if (orders == std::map<std::string, std::uint32_t>{{"a", 0}, {"b", 1}, {"c", 2}, {"x", 1}}) {
      EXPECT_EQ(heads(doc), before) << c.what << ": no move, no write";
    }
  }
}

TEST(ReorderChannel, EqualOrdersSwapNothingVisible) {
  crdt::Document doc;
  put_channel(doc, "a", "ws", "", "a", "", ChannelKind::Text, 3);
  put_channel(doc, "b", "ws", "", "b", "", ChannelKind::Text, 3);
  reorder_channel(doc, "b", true);
  EXPECT_EQ(order_of(doc, "a"), 3u);
  EXPECT_EQ(order_of(doc, "b"), 3u);
}

TEST(DeleteCategory, MovesItsChannelsAfterTheUncategorisedOnesInTheirOrder) {
  crdt::Document doc;
  put_category(doc, "cat", "ws", "Team", 0);
  put_category(doc, "keep", "ws", "Other", 1);
  for (std::uint32_t i = 0; i < 4; ++i) {
    put_channel(doc, "loose" + std::to_string(i), "ws", "", "l", "", ChannelKind::Text, i);
  }
  // Key order (m_second before z_first) differs from the order: the order decides.
  put_channel(doc, "z_first", "ws", "cat", "f", "", ChannelKind::Text, 0);
  put_channel(doc, "m_second", "ws", "cat", "s", "", ChannelKind::Voice, 1);
  put_channel(doc, "elsewhere", "ws2", "cat", "e", "", ChannelKind::Text, 0);
  put_channel(doc, "stays", "ws", "keep", "k", "", ChannelKind::Text, 0);

  delete_category(doc, "cat");
  auto channels = channels_by_id(doc);
  EXPECT_EQ(channels.at("z_first").category, "");
  EXPECT_EQ(channels.at("z_first").order, 4u);
  EXPECT_EQ(channels.at("m_second").order, 5u);
  EXPECT_EQ(channels.at("elsewhere").category, "");
  EXPECT_EQ(channels.at("elsewhere").order, 0u) << "its own workspace had no loose channels";
  EXPECT_EQ(channels.at("stays").category, "keep");
  auto categories = list_categories(doc);
  ASSERT_EQ(categories.size(), 1u);
  EXPECT_EQ(categories[0].id, "keep");
}

TEST(CreateCategory, GoesLastInItsWorkspaceAndResetsCollapsed) {
  crdt::Document doc;
  create_category(doc, "ws", "a", "A");
  create_category(doc, "ws2", "x", "X");
  create_category(doc, "ws", "b", "B");
  set_category_collapsed(doc, "a", true);
  auto before = heads(doc);
  set_category_collapsed(doc, "a", true);
  EXPECT_NE(heads(doc), before) << "collapsing writes unconditionally";

  std::map<std::string, Category> by_id;
  for (Category& c : list_categories(doc)) by_id[c.id] = c;
  EXPECT_EQ(by_id.at("a"), (Category{"a", "ws", "A", 0, true}));
  EXPECT_EQ(by_id.at("b").order, 1u);
  EXPECT_EQ(by_id.at("x").order, 0u);

  create_category(doc, "ws", "a", "A again");
  for (Category& c : list_categories(doc)) by_id[c.id] = c;
  EXPECT_EQ(by_id.at("a"), (Category{"a", "ws", "A again", 2, false}));

  rename_category(doc, "b", "Bee");
  for (Category& c : list_categories(doc)) by_id[c.id] = c;
  EXPECT_EQ(by_id.at("b").name, "Bee");
}

TEST(DeleteChannel, RemovesRecordMessagesCallAndDraftButNotReadCountsOrThreadDrafts) {
  crdt::Document doc;
  put_channel(doc, "c1", "ws", "", "call", "", ChannelKind::Voice, 0);
  (void)ensure_list(doc, map_at(doc, {"messages"}), "c1");
  (void)ensure_text(doc, map_at(doc, {"drafts"}), "c1");
  (void)ensure_text(doc, map_at(doc, {"drafts"}), "c1::t::m_top");
  put(doc, map_at(doc, {"read", "c1"}), "u1", std::int64_t{3});

  delete_channel(doc, "c1");
  EXPECT_FALSE(has_key(doc, map_at(doc, {"channels"}), "c1"));
  EXPECT_FALSE(has_key(doc, map_at(doc, {"messages"}), "c1"));
  EXPECT_FALSE(has_key(doc, map_at(doc, {"voice"}), "c1"));
  EXPECT_FALSE(has_key(doc, map_at(doc, {"drafts"}), "c1"));
  EXPECT_TRUE(has_key(doc, map_at(doc, {"drafts"}), "c1::t::m_top"));
  EXPECT_EQ(doc_get_i64(doc, map_at(doc, {"read", "c1"}), "u1"), 3);

  crdt::Document empty;
  auto before = heads(empty);
  delete_channel(empty, "c1");
  delete_category(empty, "cat");
  EXPECT_EQ(heads(empty), before);
  EXPECT_FALSE(has_key(empty, crdt::ROOT, "channels"));
}

}  // namespace
}  // namespace chat::doc
