#include "vesk_actions/registry.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vesk_actions {
namespace {

class NamedAction final : public ExecutableAction {
 public:
  explicit NamedAction(std::string text) : text_(std::move(text)) {}
  std::string debug_text() const override { return text_; }
  ActionResult<void> apply(crdt::Document&) const override { return {}; }
  bool needs_transport() const override { return false; }

 private:
  std::string text_;
};

// Decodes any non-empty payload into an action named "<tag>:<payload>"; counts its decoders
// alive so that a test sees a replaced decoder go away.
class TagDecoder final : public ActionDecoder {
 public:
  TagDecoder(std::string tag, int& alive) : tag_(std::move(tag)), alive_(alive) { ++alive_; }
  ~TagDecoder() override { --alive_; }
  ActionResult<std::unique_ptr<ExecutableAction>> decode(
      std::span<const std::uint8_t> payload) const override {
    if (payload.empty()) return ActionError::decode(tag_, "empty");
    std::string text(payload.begin(), payload.end());
    return std::unique_ptr<ExecutableAction>(std::make_unique<NamedAction>(tag_ + ":" + text));
  }

 private:
  std::string tag_;
  int& alive_;
};

EncodedAction action_of(std::string type, std::string payload) {
  return {std::move(type), std::vector<std::uint8_t>(payload.begin(), payload.end())};
}

TEST(ActionRegistry, DecodesWithTheDecoderOfTheType) {
  int alive = 0;
  ActionRegistry registry;
  registry.insert("a", std::make_unique<TagDecoder>("A", alive));
  registry.insert("b", std::make_unique<TagDecoder>("B", alive));

  auto a = registry.decode(action_of("a", "x"));
  ASSERT_TRUE(a.ok());
  EXPECT_EQ(a.value()->debug_text(), "A:x");
  auto again = registry.decode(action_of("a", "y"));
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.value()->debug_text(), "A:y");
  EXPECT_EQ(registry.decode(action_of("b", "x")).value()->debug_text(), "B:x");

  auto failed = registry.decode(action_of("a", ""));
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), ActionError::decode("A", "empty"));

  auto unknown = registry.decode(action_of("c", "x"));
  ASSERT_FALSE(unknown.ok());
  EXPECT_EQ(unknown.error(), ActionError::unknown_type("c"));
}

TEST(ActionRegistry, RegisteringANameAgainReplacesAndDropsTheOldDecoder) {
  int alive = 0;
  ActionRegistry registry;
  registry.insert("a", std::make_unique<TagDecoder>("old", alive));
  registry.insert("a", std::make_unique<TagDecoder>("new", alive));
  EXPECT_EQ(registry.size(), 1u);
  EXPECT_EQ(alive, 1);
  EXPECT_EQ(registry.decode(action_of("a", "x")).value()->debug_text(), "new:x");

  registry.insert("a", nullptr);
  EXPECT_EQ(registry.size(), 0u);
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(registry.find("a"), nullptr);
}

TEST(ActionError, DisplayNamesKindTypeAndCause) {
  EXPECT_EQ(ActionError::encode("bad utf-8").display(), "cannot encode action: bad utf-8");
  EXPECT_EQ(ActionError::decode("chat.action", "missing field `ts`").display(),
            "cannot decode action of type chat.action: missing field `ts`");
  EXPECT_EQ(ActionError::unknown_type("x.y").display(), "no decoder for action type x.y");
  EXPECT_EQ(ActionError::execute("refused").display(), "cannot execute action: refused");
}

}  // namespace
}  // namespace vesk_actions
