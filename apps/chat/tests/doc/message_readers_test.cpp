#include "doc/message_readers.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "doc/message_writers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::map_at;
using testing::put;

crdt::ObjId channel_list(crdt::Document& doc, std::string_view channel = "c1") {
  return ensure_list(doc, map_at(doc, {"messages"}), channel);
}

crdt::ObjId append_map(crdt::Document& doc, const crdt::ObjId& list) {
  auto made = doc.insert_object(list, doc.length(list), crdt::ObjType::Map);
  EXPECT_TRUE(made.ok());
  return *made;
}

// A message map with only an id and the given parent (none: the key is left out).
crdt::ObjId add_message(crdt::Document& doc, std::string_view id,
                        std::optional<std::string_view> parent = std::nullopt,
                        std::string_view channel = "c1") {
  crdt::ObjId m = append_map(doc, channel_list(doc, channel));
  put(doc, m, "id", id);
  if (parent) put(doc, m, "parent", *parent);
  return m;
}

void add_entries(crdt::Document& doc, const crdt::ObjId& message, std::string_view list_key,
                 const std::vector<std::vector<std::pair<const char*, crdt::ScalarValue>>>& rows) {
  crdt::ObjId list = ensure_list(doc, message, list_key);
  for (const auto& row : rows) {
    crdt::ObjId entry = append_map(doc, list);
    for (const auto& [key, value] : row) put(doc, entry, key, value);
  }
}

TEST(LoadMessages, ReadsEveryFieldAndSkipsEntriesThatAreNotMaps) {
  crdt::Document doc;
  crdt::ObjId list = channel_list(doc);
  ASSERT_TRUE(doc.insert(list, 0, "a scalar entry").ok());
  crdt::ObjId full = add_message(doc, "m1", "m0");
  put(doc, full, "author", "u1");
  put(doc, full, "ts", std::int64_t{1782471840});
  put(doc, full, "edited", true);
  put(doc, full, "pinned", true);
  crdt::ObjId text = ensure_text(doc, full, "text");
  ASSERT_TRUE(doc.splice_text(text, 0, 0, "h\xC3\xA9llo").ok());
  add_entries(doc, full, "history",
              {{{"ts", crdt::ScalarValue(std::int64_t{5})}, {"text", crdt::ScalarValue("v1")}},
               {{"text", crdt::ScalarValue("v2")}}});
  ASSERT_TRUE(doc.insert(*get_list(doc, full, "history"), 1, std::int64_t{9}).ok());
  crdt::ObjId bare = append_map(doc, list);
  put(doc, bare, "text", "scalar text is not a text object");
  put(doc, bare, "parent", "");

  auto messages = load_messages(doc, "c1");
  ASSERT_EQ(messages.size(), 2u);
  const ChatMessage& m = messages[0];
  EXPECT_EQ(m.channel, "c1");
  EXPECT_EQ(m.id, "m1");
  EXPECT_EQ(m.author, "u1");
  EXPECT_EQ(m.ts, 1782471840);
  EXPECT_EQ(m.text, "h\xC3\xA9llo");
  EXPECT_EQ(m.parent, "m0");
  EXPECT_TRUE(m.edited);
  EXPECT_TRUE(m.pinned);
  EXPECT_EQ(m.history, (std::vector<EditRecord>{{"v1", 5}, {"v2", 0}}));

  const ChatMessage& b = messages[1];
  EXPECT_EQ(b.id, "");
  EXPECT_EQ(b.text, "");
  EXPECT_EQ(b.parent, std::nullopt);
  EXPECT_FALSE(b.edited);
  EXPECT_TRUE(b.history.empty() && b.reactions.empty() && b.mentions.empty());
  EXPECT_FALSE(b.reference || b.attachment || b.work || b.pinned);

  EXPECT_TRUE(load_messages(doc, "c_other").empty());
  crdt::Document no_messages;
  EXPECT_TRUE(load_messages(no_messages, "c1").empty());
}

TEST(LoadMessages, GroupsAndOrdersReactions) {
  const std::string up = "\U0001F44D", heart = "\u2764\uFE0F", party = "\U0001F389";
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> entries;
    std::vector<Reaction> expected;
  };
  const std::vector<Case> cases = {
      {"bigger groups first, then emoji bytes",
       {{up, "u1"}, {heart, "u2"}, {heart, "u3"}, {up, "u1"}, {party, "u4"}, {"", "u5"}},
       {{heart, {"u2", "u3"}}, {party, {"u4"}}, {up, {"u1"}}}},
      {"one group keeps first-occurrence user order",
       {{up, "u9"}, {up, "u1"}, {up, "u9"}, {up, ""}},
       {{up, {"u9", "u1", ""}}}},
      {"empty emoji only", {{"", "u1"}}, {}},
      {"equal sizes by bytes",
       {{"b", "u1"}, {"a", "u1"}, {"c", "u1"}},
       {{"a", {"u1"}}, {"b", {"u1"}}, {"c", {"u1"}}}},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    crdt::ObjId m = add_message(doc, "m1");
    crdt::ObjId reactions = ensure_list(doc, m, "reactions");
    for (const auto& [emoji, user] : c.entries) {
      crdt::ObjId entry = append_map(doc, reactions);
      put(doc, entry, "emoji", emoji);
      put(doc, entry, "user", user);
    }
    ASSERT_TRUE(doc.insert(reactions, 0, "not an entry").ok());
    EXPECT_EQ(load_messages(doc, "c1").at(0).reactions, c.expected) << c.what;
  }

  crdt::Document doc;
  crdt::ObjId m = add_message(doc, "m1");
  add_entries(doc, m, "reactions", {{{"emoji", crdt::ScalarValue(up)}}});
  EXPECT_EQ(load_messages(doc, "c1").at(0).reactions, (std::vector<Reaction>{{up, {""}}}))
      << "a missing user reads as empty";
}

TEST(LoadMessages, ReadsMentionsWithNonNegativeOffsetsAndDropsThoseWithoutUser) {
  crdt::Document doc;
  crdt::ObjId m = add_message(doc, "m1");
  add_entries(doc, m, "mentions",
              {{{"user", crdt::ScalarValue("u1")},
                {"start", crdt::ScalarValue(std::int64_t{-5})},
                {"len", crdt::ScalarValue(std::int64_t{4})},
                {"agent", crdt::ScalarValue(true)}},
               {{"start", crdt::ScalarValue(std::int64_t{1})}},
               {{"user", crdt::ScalarValue("")}},
               {{"user", crdt::ScalarValue(std::int64_t{7})}},
               {{"user", crdt::ScalarValue("u2")}, {"len", crdt::ScalarValue(2.5)}}});
  auto mentions = load_messages(doc, "c1").at(0).mentions;
  ASSERT_EQ(mentions.size(), 2u);
  EXPECT_EQ(mentions[0].user, "u1");
  EXPECT_EQ(mentions[0].start, 0u);
  EXPECT_EQ(mentions[0].len, 4u);
  EXPECT_TRUE(mentions[0].is_agent);
  EXPECT_EQ(mentions[1].user, "u2");
  EXPECT_EQ(mentions[1].start, 0u);
  EXPECT_EQ(mentions[1].len, 2u);
  EXPECT_FALSE(mentions[1].is_agent);
}

TEST(LoadMessages, ReadsAttachmentsByKindWithTheOlderPathAsFallback) {
  using Image = Attachment::Image;
  using Video = Attachment::Video;
  using File = Attachment::File;
  using Row = std::vector<std::pair<const char*, crdt::ScalarValue>>;
  auto s = [](const char* v) { return crdt::ScalarValue(v); };
  auto i = [](std::int64_t v) { return crdt::ScalarValue(v); };
  struct Case {
    const char* what;
    Row stored;
    std::optional<Attachment> expected;
  };
  const std::vector<Case> cases = {
      {"image",
       {{"kind", s("image")},
        {"name", s("a.png")},
        {"blob", s("b1")},
        {"w", i(640)},
        {"h", i(360)},
        {"size", i(9)}},
       Attachment{Image{"a.png", "b1", 640, 360}}},
      {"video",
       {{"kind", s("video")},
        {"name", s("v.webm")},
        {"blob", s("b2")},
        {"w", i(1280)},
        {"h", i(720)},
        {"size", i(6815744)}},
       Attachment{Video{"v.webm", "b2", 1280, 720, 6815744}}},
      {"file",
       {{"kind", s("file")}, {"name", s("f.md")}, {"blob", s("b3")}, {"size", i(18944)}},
       Attachment{File{"f.md", "b3", 18944}}},
      {"empty blob falls back to path",
       {{"kind", s("image")}, {"blob", s("")}, {"path", s("vesk-demo://call-grid")}},
       Attachment{Image{"", "vesk-demo://call-grid", 0, 0}}},
      {"missing blob falls back to path",
       {{"kind", s("file")}, {"path", s("/tmp/x")}},
       Attachment{File{"", "/tmp/x", 0}}},
      {"blob wins over path",
       {{"kind", s("file")}, {"blob", s("b")}, {"path", s("p")}},
       Attachment{File{"", "b", 0}}},
      {"numbers keep their low bits",
       {{"kind", s("video")}, {"w", i(-1)}, {"h", i(4294967296 + 5)}, {"size", i(-1)}},
       Attachment{Video{"", "", 4294967295u, 5, 18446744073709551615u}}},
      {"unknown kind", {{"kind", s("audio")}, {"name", s("a.ogg")}}, std::nullopt},
      {"missing kind", {{"name", s("a.ogg")}}, std::nullopt},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    crdt::ObjId m = add_message(doc, "m1");
    crdt::ObjId attachment = ensure_map(doc, m, "attachment");
    for (const auto& [key, value] : c.stored) put(doc, attachment, key, value);
    EXPECT_EQ(load_messages(doc, "c1").at(0).attachment, c.expected) << c.what;
  }
}

TEST(LoadMessages, ReadsTheReferenceTextOrNothing) {
  ResourceRef ref{"chat.message", "m1", "Message", actions::Span{0, 5, actions::SpanUnit::Chars}};
  struct Case {
    const char* what;
    crdt::ScalarValue stored;
    std::optional<ResourceRef> expected;
  };
  const std::vector<Case> cases = {
      {"valid",
       crdt::ScalarValue(R"({"kind":"chat.message","id":"m1","label":"Message",)"
                         R"("span":{"start":0,"end":5,"unit":"Chars"}})"),
       ref},
      {"positional form", crdt::ScalarValue(R"(["chat.message","m1","Message",null])"),
       ResourceRef{"chat.message", "m1", "Message", std::nullopt}},
      {"invalid JSON", crdt::ScalarValue("{not json"), std::nullopt},
      {"missing label", crdt::ScalarValue(R"({"kind":"k","id":"i"})"), std::nullopt},
      {"trailing text", crdt::ScalarValue(R"(["k","i","l",null] x)"), std::nullopt},
      {"empty", crdt::ScalarValue(""), std::nullopt},
      {"not a string", crdt::ScalarValue(std::int64_t{1}), std::nullopt},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    crdt::ObjId m = add_message(doc, "m1");
    put(doc, m, "reference", c.stored);
    EXPECT_EQ(load_messages(doc, "c1").at(0).reference, c.expected) << c.what;
  }
}

// The window reads a conversation into the records of the last one it read: nothing of an
// earlier message may stay behind in a record, whatever it held.
TEST(LoadMessages, IntoUsedRecordsReadsTheSameAsIntoNewOnes) {
  crdt::Document doc;
  NewMessage full;
  full.author = "u_maya";
  full.ts = 1782471840;
  full.text = "a text long enough to live outside the string itself";
  full.parent = "m0";
  full.edited = true;
  full.history = {{"first words of the message", 5}};
  full.reactions = {{"\U0001F44D", {"u_jonas", "u_priya"}}};
  full.mentions = {actions::Mention{"u_jonas", 2, 4, false}};
  full.reference = ResourceRef{"chat.message", "m0", "Message", std::nullopt};
  full.attachment = Attachment{Attachment::File{"notes.md", "b1", 18944}};
  full.work = AgentWork{};
  insert_message(doc, "c_full", "m1", full);
  insert_message(doc, "c_full", "m2", full);
  pin_message(doc, "c_full", "m1", true);
  NewMessage plain;
  plain.author = "u_jonas";
  plain.text = "ok";
  insert_message(doc, "c_plain", "m3", plain);
  crdt::ObjId bare = append_map(doc, channel_list(doc, "c_plain"));
  put(doc, bare, "text", "scalar text is not a text object");
  ASSERT_TRUE(load_messages(doc, "c_full").at(0).work);  // every field is set

  // Each conversation read over each other's records, more of them and fewer.
  const std::vector<std::string> conversations = {"c_full", "c_plain", "c_none"};
  for (const std::string& before : conversations) {
    for (const std::string& after : conversations) {
      std::vector<ChatMessage> records = load_messages(doc, before);
      load_messages_into(doc, after, records);
      EXPECT_EQ(records, load_messages(doc, after)) << before << " then " << after;
    }
  }
}

TEST(MessageCounts, UnreadIsTopLevelMessagesBeyondTheReadCount) {
  struct Case {
    std::optional<crdt::ScalarValue> stored;
    std::int64_t read;
    std::uint32_t unread;
  };
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  const std::vector<Case> cases = {
      {crdt::ScalarValue(std::int64_t{7}), 7, 0},
      {crdt::ScalarValue(std::int64_t{3}), 3, 2},
      {crdt::ScalarValue(std::int64_t{5}), 5, 0},
      {std::nullopt, 0, 5},
      {crdt::ScalarValue("3"), 0, 5},
      {crdt::ScalarValue(3.7), 3, 2},
      {crdt::ScalarValue(std::int64_t{-2}), -2, 7},
      // The difference would overflow: it saturates instead.
      {crdt::ScalarValue(kMin), kMin, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    for (const char* id : {"t1", "t2", "t3"}) add_message(doc, id);
    add_message(doc, "t4", "");
    add_message(doc, "r1", "t1");
    add_message(doc, "r2", "t2");
    crdt::ObjId t5 = append_map(doc, channel_list(doc));
    put(doc, t5, "parent", std::int64_t{1});  // not a string: top level
    add_message(doc, "elsewhere", std::nullopt, "c2");
    if (c.stored) put(doc, map_at(doc, {"read", "c1"}), "u1", *c.stored);

    EXPECT_EQ(top_level_message_count(doc, "c1"), 5u);
    EXPECT_EQ(unread_count(doc, "c1", "u1"), c.unread);
    EXPECT_EQ(read_count(doc, "c1", "u1"), c.read);
  }
  crdt::Document empty;
  EXPECT_EQ(top_level_message_count(empty, "c1"), 0u);
  EXPECT_EQ(unread_count(empty, "c1", "u1"), 0u);
  EXPECT_EQ(read_count(empty, "c1", "u1"), 0);
}

}  // namespace
}  // namespace chat::doc
