#include "vesk_ui/action_host.hpp"

#include <gtest/gtest.h>
#include <spdlog/logger.h>
#include <spdlog/sinks/ostream_sink.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vesk_ui {
namespace {

using vesk_actions::ActionContext;
using vesk_actions::ActionError;
using vesk_actions::ActionResult;
using vesk_actions::EncodedAction;

// Writes its value under its key in the root map, or fails without writing.
class TestAction final : public vesk_actions::ExecutableAction {
 public:
  TestAction(std::string key, std::string value, bool fails = false)
      : key_(std::move(key)), value_(std::move(value)), fails_(fails) {}
  std::string debug_text() const override { return key_ + "=" + value_; }
  ActionResult<void> apply(crdt::Document& doc) const override {
    ++applied;
    if (fails_) return ActionError::execute("refused");
    if (!doc.put(crdt::ROOT, key_, value_)) return ActionError::execute("put failed");
    return {};
  }
  bool needs_transport() const override { return false; }

  std::string payload() const { return key_ + "=" + value_; }
  mutable int applied = 0;

 private:
  std::string key_, value_;
  bool fails_;
};

EncodedAction encoded_of(std::string_view type, const TestAction& action) {
  std::string text = action.payload();
  return {std::string(type), std::vector<std::uint8_t>(text.begin(), text.end())};
}

ActionHost::Encoder encoder_for(const TestAction& action) {
  return [&action](std::string_view type) -> ActionResult<EncodedAction> {
    return encoded_of(type, action);
  };
}

ActionHost::Encoder failing_encoder() {
  return [](std::string_view) -> ActionResult<EncodedAction> {
    return ActionError::encode("not encodable");
  };
}

ActionContext titled(std::string title) {
  return ActionContext{std::move(title), {}, {}, {}};
}

class ActionHostTest : public ::testing::Test {
 protected:
  ActionHostTest()
      : sink_(std::make_shared<spdlog::sinks::ostream_sink_st>(log_)),
        host_(std::make_shared<spdlog::logger>("action-host-test", sink_)) {
    sink_->set_pattern("%l %v");
    // A change before the tests' dispatches, so that "heads before" is never trivially empty.
    EXPECT_TRUE(doc_.put(crdt::ROOT, "seed", "x"));
    seed_heads_ = doc_.get_heads();
  }

  void dispatch(const TestAction& action, std::optional<ActionContext> context = std::nullopt) {
    host_.dispatch_with_context(doc_, "test.type", action, encoder_for(action), std::move(context));
  }

  std::vector<std::string> log_lines() const {
    std::vector<std::string> lines;
    std::istringstream in(log_.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string head_message() {
    auto heads = doc_.get_heads();
    EXPECT_EQ(heads.size(), 1u);
    return doc_.get_change(heads.at(0))->message();
  }

  std::ostringstream log_;
  std::shared_ptr<spdlog::sinks::ostream_sink_st> sink_;
  crdt::Document doc_;
  ChangeHashes seed_heads_;
  ActionHost host_;
};

TEST_F(ActionHostTest, StartsEmpty) {
  EXPECT_FALSE(host_.pending_heads().has_value());
  EXPECT_FALSE(host_.last_action().has_value());
  EXPECT_FALSE(host_.host_context().has_value());
}

TEST_F(ActionHostTest, PendingHeadsKeepTheFirstUncollectedBeforeAndLastActionTheNewest) {
  TestAction first("a", "1"), second("b", "2"), third("c", "3");

  dispatch(first);
  ChangeHashes after_first = doc_.get_heads();
  EXPECT_NE(after_first, seed_heads_);
  dispatch(second);
  EXPECT_EQ(first.applied, 1);
  EXPECT_EQ(second.applied, 1);
  EXPECT_EQ(host_.pending_heads(), seed_heads_);
  EXPECT_EQ(host_.last_action(), encoded_of("test.type", second));

  EXPECT_EQ(host_.take_pending_heads(), seed_heads_);
  EXPECT_FALSE(host_.pending_heads().has_value());
  ChangeHashes after_second = doc_.get_heads();
  dispatch(third);
  EXPECT_EQ(host_.pending_heads(), after_second);
  EXPECT_EQ(host_.last_action(), encoded_of("test.type", third));
  EXPECT_TRUE(log_lines().empty());
}

TEST_F(ActionHostTest, ABoundTokenStandsInForTheHeadsBeforeAndIsReportedWithTheHeadsAfter) {
  TestAction earlier("early", "1");
  dispatch(earlier);
  host_.take_pending_heads();
  ChangeHashes doc_heads = doc_.get_heads();
  ASSERT_NE(doc_heads, seed_heads_);

  struct Case {
    const char* label;
    std::optional<ChangeHashes> binding;
    bool reported;
  };
  crdt::ChangeHash unknown;
  unknown.bytes.fill(0xab);
  const Case cases[] = {
      {"no token", std::nullopt, false},
      {"token of older heads", seed_heads_, true},
      {"empty token", ChangeHashes{}, true},
      {"stale token", ChangeHashes{unknown}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ChangeHashes before = doc_.get_heads();
    if (c.binding) host_.hooks().bind_next_dispatch(*c.binding);
    TestAction action(c.label, "v");
    dispatch(action);
    EXPECT_FALSE(host_.hooks().has_binding());
    ChangeHashes after = doc_.get_heads();
    ASSERT_NE(after, before);

    EXPECT_EQ(host_.take_pending_heads(), c.reported ? *c.binding : before);
    auto bound = host_.hooks().take_bound_dispatches();
    if (c.reported) {
      ASSERT_EQ(bound.size(), 1u);
      EXPECT_EQ(bound[0].token, *c.binding);
      EXPECT_EQ(bound[0].heads_after, after);
    } else {
      EXPECT_TRUE(bound.empty());
    }
  }
}

TEST_F(ActionHostTest, AnExecutorFailureLogsOnceAndLeavesTheHostAsItWas) {
  TestAction ok("a", "1");
  dispatch(ok);
  auto pending = host_.pending_heads();
  auto last = host_.last_action();

  host_.hooks().bind_next_dispatch(seed_heads_);
  TestAction refused("b", "2", /*fails=*/true);
  dispatch(refused, titled("Refused"));
  EXPECT_EQ(refused.applied, 1);
  EXPECT_EQ(host_.pending_heads(), pending);
  EXPECT_EQ(host_.last_action(), last);
  // The dispatch was announced but never reported.
  ASSERT_EQ(host_.hooks().bound_dispatches().size(), 1u);
  EXPECT_FALSE(host_.hooks().bound_dispatches()[0].heads_after.has_value());

  EXPECT_EQ(log_lines(), std::vector<std::string>{
                             "warning action dispatch failed error=\"cannot execute action: "
                             "refused\" type_name=\"test.type\""});
}

TEST_F(ActionHostTest, AnEncodeFailureRunsNoHookAndTouchesNothing) {
  host_.hooks().bind_next_dispatch(seed_heads_);
  TestAction action("a", "1");
  host_.dispatch_with_context(doc_, "test.type", action, failing_encoder(), titled("T"));
  EXPECT_EQ(action.applied, 0);
  EXPECT_TRUE(host_.hooks().has_binding());
  EXPECT_TRUE(host_.hooks().bound_dispatches().empty());
  EXPECT_EQ(doc_.get_heads(), seed_heads_);
  EXPECT_FALSE(host_.pending_heads().has_value());
  EXPECT_FALSE(host_.last_action().has_value());
  EXPECT_EQ(log_lines(),
            std::vector<std::string>{"warning action dispatch failed error=\"cannot encode action: "
                                     "not encodable\" type_name=\"test.type\""});
}

TEST_F(ActionHostTest, TheHostContextCompletesTheGivenOne) {
  // The executor names the change after the context's title, which shows the context used.
  struct Case {
    const char* label;
    std::optional<ActionContext> host;
    std::optional<ActionContext> given;
    const char* change_message;
  };
  const Case cases[] = {
      {"neither", std::nullopt, std::nullopt, "test.type"},
      {"given only", std::nullopt, titled("Given"), "Given"},
      {"host only", titled("Host"), std::nullopt, "Host"},
      {"both", titled("Host"), titled("Given"), "Given"},
      {"both, given untitled", titled("Host"), titled(""), "Host"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.set_host_context(c.host);
    TestAction action("k", std::to_string(n++));
    dispatch(action, c.given);
    EXPECT_EQ(head_message(), c.change_message);
    EXPECT_EQ(host_.host_context(), c.host);  // never changed by a dispatch
  }
}

TEST_F(ActionHostTest, LogFieldsStayParseableWhateverTheErrorSays) {
  TestAction action("a", "1");
  host_.dispatch_with_context(
      doc_, "odd\"type", action,
      [](std::string_view) -> ActionResult<EncodedAction> {
        return ActionError::encode("bad \"quote\" and \\ slash");
      },
      std::nullopt);
  EXPECT_EQ(log_lines(), std::vector<std::string>{
                             "warning action dispatch failed error=\"cannot encode action: bad "
                             "\\\"quote\\\" and \\\\ slash\" type_name=\"odd\\\"type\""});
}

}  // namespace
}  // namespace vesk_ui
