#include "actions/dispatch.hpp"

#include <gtest/gtest.h>
#include <spdlog/logger.h>
#include <spdlog/sinks/ostream_sink.h>

#include <memory>
#include <sstream>
#include <string>

#include "actions/encode_action.hpp"
#include "doc_tree.hpp"

namespace chat::actions {
namespace {

using A = ChatAction;
using testing::doc_tree;

// A window as far as dispatching goes: it keeps its host in `actions`.
struct Window {
  vesk_ui::ActionHost actions;
};

class DispatchChatAction : public ::testing::Test {
 protected:
  DispatchChatAction()
      : sink_(std::make_shared<spdlog::sinks::ostream_sink_st>(log_)),
        window_{vesk_ui::ActionHost(std::make_shared<spdlog::logger>("dispatch-test", sink_))} {
    // The smallest document a send is admitted to: a record for the channel.
    auto channels = doc_.put_object(crdt::ROOT, "channels", crdt::ObjType::Map);
    EXPECT_TRUE(channels.ok());
    EXPECT_TRUE(doc_.put_object(*channels, "c1", crdt::ObjType::Map).ok());
  }

  static ChatAction send(std::string id, std::string text) {
    return {A::SendMessage{.channel = "c1",
                           .id = std::move(id),
                           .author = "u1",
                           .ts = 1700000000,
                           .text = std::move(text)}};
  }

  std::size_t messages_in_c1() {
    auto tree = doc_tree(doc_);
    if (!tree.contains("messages") || !tree["messages"].contains("c1")) return 0;
    return tree["messages"]["c1"].size();
  }

  std::ostringstream log_;
  std::shared_ptr<spdlog::sinks::ostream_sink_st> sink_;
  crdt::Document doc_;
  Window window_;
};

TEST_F(DispatchChatAction, AppliesOnceAndRecordsTheEncodedActionAndTheHeadsBefore) {
  auto before = doc_.get_heads();
  ChatAction action = send("m1", "hello");
  dispatch_chat_action(window_, doc_, action);

  EXPECT_EQ(messages_in_c1(), 1u);
  EXPECT_EQ(window_.actions.last_action(), encode_chat_action(action));
  EXPECT_EQ(window_.actions.pending_heads(), before);
  auto heads = doc_.get_heads();
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(doc_.get_change(heads[0])->message(), "Send message");  // the context's title
  EXPECT_TRUE(log_.str().empty());

  ChatAction second = send("m2", "again");
  dispatch_chat_action(window_.actions, doc_, second);
  EXPECT_EQ(messages_in_c1(), 2u);
  EXPECT_EQ(window_.actions.last_action(), encode_chat_action(second));
  EXPECT_EQ(window_.actions.pending_heads(), before);
}

TEST_F(DispatchChatAction, ABoundDispatchTakesTheTokenAsItsHeadsBeforeAndReportsTheHeadsAfter) {
  auto token = doc_.get_heads();
  ChatAction first = send("m1", "one");
  dispatch_chat_action(window_, doc_, first);
  window_.actions.take_pending_heads();

  window_.actions.hooks().bind_next_dispatch(token);  // older than the document's heads
  ChatAction second = send("m2", "two");
  dispatch_chat_action(window_, doc_, second);
  EXPECT_EQ(window_.actions.pending_heads(), token);
  auto bound = window_.actions.hooks().take_bound_dispatches();
  ASSERT_EQ(bound.size(), 1u);
  EXPECT_EQ(bound[0].token, token);
  EXPECT_EQ(bound[0].heads_after, doc_.get_heads());
  EXPECT_EQ(messages_in_c1(), 2u);
}

TEST_F(DispatchChatAction, ARefusedSendChangesNothingAndStillCountsAsDispatched) {
  auto before = doc_.get_heads();
  const ChatAction refused[] = {
      send("m1", std::string(65537, 'x')),  // text over the limit
      send("bad id", "hi"),                 // id with a space
      {A::SendMessage{.channel = "nowhere", .id = "m1", .text = "hi"}},
  };
  for (const ChatAction& action : refused) {
    dispatch_chat_action(window_, doc_, action);
    EXPECT_EQ(doc_.get_heads(), before);
    EXPECT_EQ(window_.actions.last_action(), encode_chat_action(action));
  }
  EXPECT_EQ(messages_in_c1(), 0u);
  EXPECT_EQ(window_.actions.pending_heads(), before);
  EXPECT_TRUE(log_.str().empty());
}

}  // namespace
}  // namespace chat::actions
