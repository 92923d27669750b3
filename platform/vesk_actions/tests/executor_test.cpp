#include "vesk_actions/executor.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vesk_actions {
namespace {

// Writes `value` under `key` in the root map; counts its applications.
class PutKey final : public ExecutableAction {
 public:
  PutKey(std::string key, std::string value, bool needs_transport = false)
      : key_(std::move(key)), value_(std::move(value)), needs_transport_(needs_transport) {}

  std::string debug_text() const override { return "PutKey { " + key_ + " = " + value_ + " }"; }
  ActionResult<void> apply(crdt::Document& doc) const override {
    ++applied;
    if (key_.empty()) return {};  // writes nothing
    if (!doc.put(crdt::ROOT, key_, value_)) return ActionError::execute("put failed");
    return {};
  }
  bool needs_transport() const override { return needs_transport_; }

  mutable int applied = 0;

 private:
  std::string key_, value_;
  bool needs_transport_;
};

class FailingAction final : public ExecutableAction {
 public:
  std::string debug_text() const override { return "Failing"; }
  ActionResult<void> apply(crdt::Document&) const override {
    ++applied;
    return ActionError::execute("refused");
  }
  bool needs_transport() const override { return false; }
  mutable int applied = 0;
};

// Reports every replicate as a failure.
class BrokenTransport final : public ActionTransport {
 public:
  ActionResult<void> replicate(const EncodedAction&, std::span<const std::uint8_t>) override {
    return ActionError::execute("link down");
  }
  bool is_local() const override { return false; }
};

EncodedAction encoded(std::string type = "test.action") {
  return {std::move(type), {'{', '}'}};
}

std::optional<std::string> read(crdt::Document& doc, std::string_view key) {
  auto got = doc.get(crdt::ROOT, key);
  if (!got) return std::nullopt;
  const auto* s = std::get_if<std::string>(&got->first.scalar()->content);
  return s ? std::optional<std::string>(*s) : std::nullopt;
}

TEST(Executor, AppliesOnceAndCommitsOneChangeNamedAfterTheDispatch) {
  struct Case {
    const char* label;
    std::optional<std::string> context_title;
    std::string expected_message;
  };
  const Case cases[] = {
      {"no context", std::nullopt, "test.action"},
      {"context with title", "Send message", "Send message"},
      {"context without title", "", "test.action"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    crdt::Document doc;
    auto actor = doc.get_actor().to_bytes();
    PutKey action("k", "v");
    LocalTransport transport;
    auto result = c.context_title
                      ? dispatch_by_with_context(doc, action, encoded(), transport, actor,
                                                 ActionContext{*c.context_title, {}, {}, {}})
                      : dispatch_by(doc, action, encoded(), transport, actor);
    ASSERT_TRUE(result.ok()) << result.error().display();
    EXPECT_EQ(action.applied, 1);
    EXPECT_EQ(read(doc, "k"), "v");
    EXPECT_EQ(result.value().description, "PutKey { k = v }");
    ASSERT_TRUE(result.value().change.has_value());
    auto change = doc.get_change(*result.value().change);
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->message(), c.expected_message);
    EXPECT_EQ(doc.get_heads(), std::vector<crdt::ChangeHash>{*result.value().change});
    EXPECT_EQ(result.value().delivery, Delivery::None);
    EXPECT_TRUE(transport.deliveries().empty());
  }
}

TEST(Executor, KeepsEarlierPendingWritesOutOfTheActionsChange) {
  crdt::Document doc;
  ASSERT_TRUE(doc.put(crdt::ROOT, "earlier", "x"));
  ASSERT_TRUE(doc.put(crdt::ROOT, "earlier2", "y"));
  PutKey action("k", "v");
  LocalTransport transport;
  auto result = dispatch_by(doc, action, encoded(), transport, doc.get_actor().to_bytes());
  ASSERT_TRUE(result.ok());
  auto change = doc.get_change(*result.value().change);
  ASSERT_TRUE(change.has_value());
  EXPECT_EQ(change->op_count(), 1u);
  EXPECT_EQ(change->deps().size(), 1u);  // the earlier writes' own change
  EXPECT_EQ(read(doc, "earlier"), "x");
}

TEST(Executor, AnActionThatWritesNothingMakesNoChange) {
  crdt::Document doc;
  PutKey action("", "");
  LocalTransport transport;
  auto result = dispatch_by(doc, action, encoded(), transport, doc.get_actor().to_bytes());
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(action.applied, 1);
  EXPECT_FALSE(result.value().change.has_value());
  EXPECT_TRUE(doc.get_heads().empty());
}

TEST(Executor, RefusesAForeignActorWithoutApplying) {
  crdt::Document doc;
  PutKey action("k", "v");
  LocalTransport transport;
  const std::vector<std::vector<std::uint8_t>> actors = {
      {}, crdt::ActorId::random().to_bytes(), [&] {
        auto longer = doc.get_actor().to_bytes();
        longer.push_back(0);
        return longer;
      }()};
  for (const auto& actor : actors) {
    auto result = dispatch_by(doc, action, encoded(), transport, actor);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ActionErrorKind::Execute);
  }
  EXPECT_EQ(action.applied, 0);
  EXPECT_FALSE(read(doc, "k").has_value());
  EXPECT_TRUE(doc.get_heads().empty());
}

TEST(Executor, ReturnsTheApplyErrorAndCommitsNothing) {
  crdt::Document doc;
  FailingAction action;
  LocalTransport transport;
  auto result =
      dispatch_by_with_context(doc, action, encoded(), transport, doc.get_actor().to_bytes(),
                               ActionContext{"T", {}, {}, {}});
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error(), ActionError::execute("refused"));
  EXPECT_EQ(action.applied, 1);
  EXPECT_TRUE(doc.get_heads().empty());
}

TEST(Executor, HandsActionsThatNeedATransportToIt) {
  crdt::Document doc;
  auto actor = doc.get_actor().to_bytes();
  PutKey action("k", "v", /*needs_transport=*/true);

  LocalTransport local;
  auto sent = dispatch_by(doc, action, encoded("t.one"), local, actor);
  ASSERT_TRUE(sent.ok());
  EXPECT_EQ(sent.value().delivery, Delivery::Local);
  ASSERT_EQ(local.deliveries().size(), 1u);
  EXPECT_EQ(local.deliveries()[0].encoded, encoded("t.one"));
  EXPECT_EQ(local.deliveries()[0].actor, actor);

  BrokenTransport broken;
  auto failed = dispatch_by(doc, action, encoded(), broken, actor);
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().message, "link down");
  EXPECT_EQ(action.applied, 2);  // the change itself was made
}

}  // namespace
}  // namespace vesk_actions
