#include "doc/message_writers.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc/message_readers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::has_key;
using testing::heads;
using testing::map_at;
using testing::put;

NewMessage text_message(std::string text, std::optional<std::string> parent = std::nullopt) {
  NewMessage m;
  m.author = "u1";
  m.text = std::move(text);
  m.ts = 100;
  m.parent = std::move(parent);
  return m;
}

crdt::ObjId stored(const crdt::Document& doc, std::string_view channel, std::string_view id) {
  auto m = find_message_obj(doc, channel, id);
  EXPECT_TRUE(m.has_value()) << id;
  return m.value_or(crdt::ROOT);
}

std::vector<std::string> keys_of(const crdt::Document& doc, const crdt::ObjId& map) {
  std::vector<std::string> out;
  for (std::string_view k : doc.keys(map)) out.emplace_back(k);
  return out;
}

TEST(InsertMessage, WritesTheStoredLayout) {
  crdt::Document doc;
  NewMessage m = text_message("hi @ann");
  m.reactions = {{"\U0001F44D", {"u1", "u2", "u3"}}, {"x", {"u4"}}};
  m.mentions = {Mention{"u_ann", 3, 4, true}};
  m.history = {{"hello", 90}, {"hey", 95}};
  m.edited = true;
  EXPECT_EQ(insert_message(doc, "c1", "m1", m), "m1");

  crdt::ObjId s = stored(doc, "c1", "m1");
  EXPECT_EQ(keys_of(doc, s),
            (std::vector<std::string>{"author", "edited", "history", "id", "mentions", "parent",
                                      "reactions", "text", "ts"}));
  EXPECT_EQ(doc_get_string(doc, s, "parent"), "");
  EXPECT_EQ(doc_get_text(doc, s, "text"), "hi @ann");
  EXPECT_EQ(doc.get(s, "ts")->first, crdt::ScalarValue(std::int64_t{100}));
  crdt::ObjId reactions = *get_list(doc, s, "reactions");
  EXPECT_EQ(doc.length(reactions), 4u) << "one entry per (emoji, user)";
  crdt::ObjId third = doc.get(reactions, 2)->second;
  EXPECT_EQ(doc_get_string(doc, third, "user"), "u3");
  crdt::ObjId mention = doc.get(*get_list(doc, s, "mentions"), 0)->second;
  EXPECT_EQ(doc.get(mention, "start")->first, crdt::ScalarValue(std::int64_t{3}));
  EXPECT_EQ(doc_get_bool(doc, mention, "agent"), true);
  crdt::ObjId first_edit = doc.get(*get_list(doc, s, "history"), 0)->second;
  EXPECT_EQ(doc_get_string(doc, first_edit, "text"), "hello");

  ChatMessage read = load_messages(doc, "c1").at(0);
  EXPECT_EQ(read.reactions,
            (std::vector<Reaction>{{"\U0001F44D", {"u1", "u2", "u3"}}, {"x", {"u4"}}}));
  EXPECT_EQ(read.history, m.history);
  EXPECT_TRUE(read.edited);
  EXPECT_FALSE(read.pinned);
}

TEST(InsertMessage, AnEmptyTextGetsAnEmptyTextObject) {
  crdt::Document doc;
  insert_message(doc, "c1", "m1", text_message(""));
  crdt::ObjId s = stored(doc, "c1", "m1");
  auto text = doc.get(s, "text");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->first.object_type(), crdt::ObjType::Text);
  EXPECT_EQ(doc.length(text->second), 0u);
}

TEST(InsertMessage, AnExistingIdIsNeverReusedInAnyChannel) {
  crdt::Document doc;
  insert_message(doc, "c1", "m1", text_message("first"));
  auto before = heads(doc);
  EXPECT_EQ(insert_message(doc, "c1", "m1", text_message("first")), "m1");
  EXPECT_EQ(insert_message(doc, "c2", "m1", text_message("elsewhere")), "m1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_EQ(load_messages(doc, "c1").size(), 1u);
  EXPECT_TRUE(load_messages(doc, "c2").empty());
  EXPECT_TRUE(message_id_exists(doc, "m1"));
  EXPECT_FALSE(message_id_exists(doc, "m2"));
}

TEST(InsertMessageWithNewId, MakesVersion4Ids) {
  crdt::Document doc;
  std::string a = insert_message_with_new_id(doc, "c1", text_message("a"));
  std::string b = insert_message_with_new_id(doc, "c1", text_message("b"));
  EXPECT_NE(a, b);
  for (const std::string& id : {a, b}) {
    ASSERT_EQ(id.size(), 34u) << id;
    EXPECT_EQ(id.substr(0, 2), "m_");
    std::string hex = id.substr(2);
    EXPECT_FALSE(has_non_hex_digit(hex));
    EXPECT_EQ(hex.find_first_of("ABCDEF"), std::string::npos) << "lower case";
    EXPECT_EQ(hex[12], '4') << "version nibble";
    EXPECT_NE(std::string("89ab").find(hex[16]), std::string::npos) << "variant nibble";
  }
  auto messages = load_messages(doc, "c1");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].id, a);
  EXPECT_EQ(messages[1].id, b);
}

TEST(PutMessageText, KeepsEveryReplacedTextInTheHistory) {
  crdt::Document doc;
  insert_message(doc, "c1", "m1", text_message("A"));

  auto before = heads(doc);
  put_message_text(doc, "c1", "m1", "A", 200);
  EXPECT_EQ(heads(doc), before) << "editing to the same text writes nothing";
  EXPECT_FALSE(load_messages(doc, "c1")[0].edited);

  put_message_text(doc, "c1", "m1", "B", 200);
  put_message_text(doc, "c1", "m1", "A", 300);
  ChatMessage m = load_messages(doc, "c1")[0];
  EXPECT_EQ(m.text, "A");
  EXPECT_TRUE(m.edited);
  EXPECT_EQ(m.history, (std::vector<EditRecord>{{"A", 200}, {"B", 300}}));
}

TEST(PutMessageText, AMissingOrNonTextBodyReadsEmptyAndIsReplaced) {
  crdt::Document doc;
  insert_message(doc, "c1", "m1", text_message("x"));
  crdt::ObjId s = stored(doc, "c1", "m1");
  put(doc, s, "text", "scalar");
  ASSERT_TRUE(doc.remove(s, "history").ok());
  put_message_text(doc, "c1", "m1", "new", 5);
  ChatMessage m = load_messages(doc, "c1")[0];
  EXPECT_EQ(m.text, "new");
  EXPECT_EQ(m.history, (std::vector<EditRecord>{{"", 5}}));
}

TEST(MessageWriters, ATargetNamedInTheWrongChannelIsLeftAlone) {
  crdt::Document doc;
  insert_message(doc, "c1", "m1", text_message("A"));
  insert_message(doc, "c2", "other", text_message("B"));
  auto before = heads(doc);
  put_message_text(doc, "c2", "m1", "changed", 1);
  delete_message(doc, "c2", "m1");
  put_reaction(doc, "c2", "m1", "x", "u1");
  remove_reaction(doc, "c2", "m1", "x", "u1");
  pin_message(doc, "c2", "m1", true);
  put_message_text(doc, "c_none", "m1", "changed", 1);
  delete_message(doc, "c_none", "m1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_EQ(load_messages(doc, "c1")[0].text, "A");
}

TEST(DeleteMessage, RemovesTheFirstMatchAndLeavesRepliesInPlace) {
  crdt::Document doc;
  insert_message(doc, "c1", "top", text_message("top"));
  insert_message(doc, "c1", "r1", text_message("reply", "top"));
  insert_message(doc, "c1", "next", text_message("next"));
  delete_message(doc, "c1", "top");
  auto messages = load_messages(doc, "c1");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].id, "r1");
  EXPECT_EQ(messages[0].parent, "top");
  EXPECT_EQ(messages[1].id, "next");
  EXPECT_FALSE(message_id_exists(doc, "top"));
}

TEST(Reactions, AddOnceRemoveOnceAndNeverCreateAListToRemoveFrom) {
  crdt::Document doc;
  insert_message(doc, "c1", "m1", text_message("A"));
  put_reaction(doc, "c1", "m1", "\U0001F525", "u1");
  auto before = heads(doc);
  put_reaction(doc, "c1", "m1", "\U0001F525", "u1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_EQ(load_messages(doc, "c1")[0].reactions, (std::vector<Reaction>{{"\U0001F525", {"u1"}}}));

  remove_reaction(doc, "c1", "m1", "\U0001F525", "u2");
  EXPECT_EQ(heads(doc), before);
  remove_reaction(doc, "c1", "m1", "\U0001F525", "u1");
  EXPECT_TRUE(load_messages(doc, "c1")[0].reactions.empty());

  // A list written by a peer with a duplicate: one removal takes one entry.
  crdt::ObjId s = stored(doc, "c1", "m1");
  crdt::ObjId reactions = *get_list(doc, s, "reactions");
  for (int i = 0; i < 2; ++i) {
    crdt::ObjId entry = *doc.insert_object(reactions, doc.length(reactions), crdt::ObjType::Map);
    put(doc, entry, "emoji", "x");
    put(doc, entry, "user", "u1");
  }
  remove_reaction(doc, "c1", "m1", "x", "u1");
  EXPECT_EQ(doc.length(reactions), 1u);

  ASSERT_TRUE(doc.remove(s, "reactions").ok());
  before = heads(doc);
  remove_reaction(doc, "c1", "m1", "x", "u1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_FALSE(has_key(doc, s, "reactions"));
  put_reaction(doc, "c1", "m1", "x", "u1");
  EXPECT_EQ(load_messages(doc, "c1")[0].reactions, (std::vector<Reaction>{{"x", {"u1"}}}));
}

TEST(PinMessage, WritesOnlyAChange) {
  crdt::Document doc;
  insert_message(doc, "c1", "m1", text_message("A"));
  auto before = heads(doc);
  pin_message(doc, "c1", "m1", false);
  EXPECT_EQ(heads(doc), before);
  EXPECT_FALSE(has_key(doc, stored(doc, "c1", "m1"), "pinned"));
  pin_message(doc, "c1", "m1", true);
  before = heads(doc);
  pin_message(doc, "c1", "m1", true);
  EXPECT_EQ(heads(doc), before);
  EXPECT_TRUE(load_messages(doc, "c1")[0].pinned);
  pin_message(doc, "c1", "m1", false);
  EXPECT_FALSE(load_messages(doc, "c1")[0].pinned);
}

TEST(MarkRead, WritesAnyDifferentCountAndCreatesTheMapsRegardless) {
  crdt::Document doc;
  mark_read(doc, "c1", "u1", 0);
  crdt::ObjId counts = *get_map(doc, *get_map(doc, crdt::ROOT, "read"), "c1");
  EXPECT_FALSE(has_key(doc, counts, "u1"));

  mark_read(doc, "c1", "u1", 5);
  auto before = heads(doc);
  mark_read(doc, "c1", "u1", 5);
  EXPECT_EQ(heads(doc), before);
  mark_read(doc, "c1", "u1", 3);
  EXPECT_EQ(read_count(doc, "c1", "u1"), 3);
}

}  // namespace
}  // namespace chat::doc
