#include "actions/apply.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actions/encode_action.hpp"
#include "actions/executable.hpp"
#include "actions/registry.hpp"
#include "doc/call_writers.hpp"
#include "doc/message_writers.hpp"
#include "doc/structure_writers.hpp"
#include "doc_tree.hpp"

namespace chat::actions {
namespace {

using testing::doc_tree;

const std::string kThumbs = "\xF0\x9F\x91\x8D";

doc::NewMessage new_message(std::string author, std::string text, std::int64_t ts) {
  doc::NewMessage message;
  message.author = std::move(author);
  message.text = std::move(text);
  message.ts = ts;
  return message;
}

// A workspace with two categories, two text conversations and a voice one; c1 holds a message
// with a reaction and an empty agent message; u1 is in the call of v1.
crdt::Document seeded() {
  crdt::Document doc;
  auto workspaces = doc.put_object(crdt::ROOT, "workspaces", crdt::ObjType::Map);
  auto w1 = doc.put_object(*workspaces, "w1", crdt::ObjType::Map);
  EXPECT_TRUE(doc.put(*w1, "name", "Team"));
  doc::create_category(doc, "w1", "cat1", "Crew");
  doc::create_category(doc, "w1", "cat2", "Other");
  doc::create_channel(doc, "w1", "", "c1", "general", ChannelKind::Text);
  doc::create_channel(doc, "w1", "", "c2", "random", ChannelKind::Text);
  doc::create_channel(doc, "w1", "", "v1", "lounge", ChannelKind::Voice);
  doc::insert_message(doc, "c1", "m1", new_message("u1", "hello", 100));
  doc::insert_message(doc, "c1", "m2", new_message("agent", "", 101));
  doc::put_reaction(doc, "c1", "m1", kThumbs, "u2");
  doc::join_call(doc, "v1", "u1");
  doc.commit();
  return doc;
}

AgentWork taken_work() {
  return AgentWork{.state = {AgentWorkState::Taken{}}, .since = 1700000000};
}

struct ApplyCase {
  std::string label;
  std::string json;
  std::function<void(crdt::Document&)> writer;  // what the variant's writer does by hand
  bool changes = true;
};

std::vector<ApplyCase> every_variant() {
  const std::string work = R"({"state":{"state":"taken"},"since":1700000000})";
  return {
      {"send",
       R"({"SendMessage":{"channel":"c1","id":"m3","author":"u2","ts":200,"text":"yo","parent":"m1",)"
       R"("attachment":null,"mentions":[{"user":"u1","start":0,"len":3,"is_agent":false}],"reference":null}})",
       [](crdt::Document& doc) {
         doc::NewMessage m = new_message("u2", "yo", 200);
         m.parent = "m1";
         m.mentions = {Mention{"u1", 0, 3, false}};
         doc::insert_message(doc, "c1", "m3", m);
       }},
      {"send refused: duplicate id",
       R"({"SendMessage":{"channel":"c2","id":"m1","author":"u2","ts":200,"text":"yo"}})",
       [](crdt::Document&) {}, false},
      {"edit", R"({"EditMessage":{"channel":"c1","id":"m1","text":"hi there","ts":300}})",
       [](crdt::Document& doc) { doc::put_message_text(doc, "c1", "m1", "hi there", 300); }},
      {"delete message", R"({"DeleteMessage":{"channel":"c1","id":"m1"}})",
       [](crdt::Document& doc) { doc::delete_message(doc, "c1", "m1"); }},
      {"add reaction", R"({"AddReaction":{"channel":"c1","msg":"m1","emoji":"x","user":"u1"}})",
       [](crdt::Document& doc) { doc::put_reaction(doc, "c1", "m1", "x", "u1"); }},
      {"remove reaction",
       R"({"RemoveReaction":{"channel":"c1","msg":"m1","emoji":")" + kThumbs + R"(","user":"u2"}})",
       [](crdt::Document& doc) { doc::remove_reaction(doc, "c1", "m1", kThumbs, "u2"); }},
      {"pin", R"({"PinMessage":{"channel":"c1","msg":"m1","pinned":true}})",
       [](crdt::Document& doc) { doc::pin_message(doc, "c1", "m1", true); }},
      {"create channel",
       R"({"CreateChannel":{"workspace":"w1","category":"cat1","id":"c3","name":"new","kind":"Voice"}})",
       [](crdt::Document& doc) {
         doc::create_channel(doc, "w1", "cat1", "c3", "new", ChannelKind::Voice);
       }},
      {"create category", R"({"CreateCategory":{"workspace":"w1","id":"cat3","name":"Later"}})",
       [](crdt::Document& doc) { doc::create_category(doc, "w1", "cat3", "Later"); }},
      {"rename category", R"({"RenameCategory":{"id":"cat1","name":"Squad"}})",
       [](crdt::Document& doc) { doc::rename_category(doc, "cat1", "Squad"); }},
      {"delete category", R"({"DeleteCategory":{"id":"cat2"}})",
       [](crdt::Document& doc) { doc::delete_category(doc, "cat2"); }},
      {"collapse category", R"({"SetCategoryCollapsed":{"id":"cat1","collapsed":true}})",
       [](crdt::Document& doc) { doc::set_category_collapsed(doc, "cat1", true); }},
      {"reorder channel", R"({"ReorderChannel":{"id":"c2","up":true}})",
       [](crdt::Document& doc) { doc::reorder_channel(doc, "c2", true); }},
      {"rename channel", R"({"RenameChannel":{"id":"c1","name":"lobby"}})",
       [](crdt::Document& doc) { doc::rename_channel(doc, "c1", "lobby"); }},
      {"delete channel", R"({"DeleteChannel":{"id":"c1"}})",
       [](crdt::Document& doc) { doc::delete_channel(doc, "c1"); }},
      {"archive channel", R"({"ArchiveChannel":{"id":"c2","archived":true}})",
       [](crdt::Document& doc) { doc::archive_channel(doc, "c2", true); }},
      {"mark read", R"({"MarkRead":{"channel":"c1","user":"u1","count":2}})",
       [](crdt::Document& doc) { doc::mark_read(doc, "c1", "u1", 2); }},
      {"agent work with say",
       R"({"SetAgentWork":{"channel":"c1","msg":"m2","work":)" + work + R"(,"say":"On it"}})",
       [](crdt::Document& doc) {
         doc::set_agent_work(doc, "c1", "m2", taken_work(), std::string("On it"));
       }},
      {"agent work without say",
       R"({"SetAgentWork":{"channel":"c1","msg":"m2","work":)" + work + R"(}})",
       [](crdt::Document& doc) {
         doc::set_agent_work(doc, "c1", "m2", taken_work(), std::nullopt);
       }},
      {"join call", R"({"JoinCall":{"channel":"v1","user":"u2"}})",
       [](crdt::Document& doc) { doc::join_call(doc, "v1", "u2"); }},
      {"leave call", R"({"LeaveCall":{"channel":"v1","user":"u1"}})",
       [](crdt::Document& doc) { doc::leave_call(doc, "v1", "u1"); }},
      {"call state",
       R"({"SetCallState":{"channel":"v1","user":"u1","talking":false,"muted":true,"deafened":true,"audio_only":true}})",
       [](crdt::Document& doc) { doc::set_call_state(doc, "v1", "u1", false, true, true, true); }},
      {"screen share", R"({"SetScreenShare":{"channel":"v1","user":"u1","sharing":true}})",
       [](crdt::Document& doc) { doc::set_screen_share(doc, "v1", "u1", true); }},
      {"call ticket", R"({"SetCallTicket":{"channel":"v1","user":"u1","ticket":"{\"a\":1}"}})",
       [](crdt::Document& doc) { doc::set_call_ticket(doc, "v1", "u1", "{\"a\":1}"); }},
  };
}

vesk_actions::EncodedAction chat_json(const std::string& text) {
  return {std::string(kChatActionType), std::vector<std::uint8_t>(text.begin(), text.end())};
}

TEST(ApplyChatAction, ADecodedActionChangesTheDocumentAsItsWriterDoes) {
  vesk_actions::ActionRegistry registry;
  register_chat_action_type(registry);
  crdt::Document base = seeded();
  const auto base_tree = doc_tree(base);
  std::vector<bool> seen(std::variant_size_v<decltype(ChatAction::value)>, false);

  for (const ApplyCase& c : every_variant()) {
    SCOPED_TRACE(c.label);
    auto decoded = registry.decode(chat_json(c.json));
    ASSERT_TRUE(decoded.ok()) << decoded.error().display();
    seen[static_cast<const ExecutableChatAction&>(*decoded.value()).action().value.index()] = true;

    crdt::Document applied = base.fork();
    crdt::Document by_hand = base.fork();
    EXPECT_TRUE(decoded.value()->apply(applied).ok());
    c.writer(by_hand);
    EXPECT_EQ(doc_tree(applied), doc_tree(by_hand));
    EXPECT_EQ(doc_tree(applied) != base_tree, c.changes) << doc_tree(applied).dump();
  }
  for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_TRUE(seen[i]) << "variant " << i;
}

TEST(ApplyChatAction, ASentMessageIsStoredBareAndEveryApplicationRunsTheWriter) {
  crdt::Document doc = seeded();
  const ChatAction react{ChatAction::AddReaction{"c1", "m1", "y", "u3"}};
  crdt::Document twice_by_hand = doc.fork();
  EXPECT_TRUE(apply_chat_action(react, doc).ok());
  EXPECT_TRUE(apply_chat_action(react, doc).ok());
  doc::put_reaction(twice_by_hand, "c1", "m1", "y", "u3");
  doc::put_reaction(twice_by_hand, "c1", "m1", "y", "u3");
  EXPECT_EQ(doc_tree(doc), doc_tree(twice_by_hand));

  const ChatAction send{ChatAction::SendMessage{
      .channel = "c2", .id = "m9", .author = "u1", .ts = 5, .text = "plain"}};
  EXPECT_TRUE(apply_chat_action(send, doc).ok());
  auto stored = doc_tree(doc)["messages"]["c2"];
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0]["reactions"], nlohmann::json::array());
  EXPECT_EQ(stored[0]["history"], nlohmann::json::array());
  EXPECT_EQ(stored[0]["edited"], false);
  EXPECT_FALSE(stored[0].contains("work"));
  EXPECT_EQ(stored[0]["text"], (nlohmann::json{{"text", "plain"}}));
}

}  // namespace
}  // namespace chat::actions
