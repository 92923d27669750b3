#include "vesk_actions/resource.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vesk_actions {
namespace {

EncodedAction op(std::string payload) {
  return {"test.op", std::vector<std::uint8_t>(payload.begin(), payload.end())};
}

ActionSpec fixed_spec(std::string name, EncodedAction value) {
  ActionSpec spec;
  spec.name = std::move(name);
  spec.invocation = std::move(value);
  return spec;
}

ActionSpec prompt_spec(std::string name) {
  ActionSpec spec;
  spec.name = std::move(name);
  spec.parameters = {{"value", "Name"}};
  spec.invocation =
      TextPrompt{"Name", "name…",
                 std::make_shared<const std::function<EncodedAction(std::string_view)>>(
                     [](std::string_view text) { return op("text=" + std::string(text)); })};
  return spec;
}

TEST(ActionArgs, TextFindsTheNamedArgumentAndTheLastValueWins) {
  ActionArgs args;
  EXPECT_FALSE(args.text("value").has_value());
  args.with_text("value", "one").with_text("other", "x").with_text("value", "two");
  EXPECT_EQ(args.text("value"), "two");
  EXPECT_EQ(args.text("other"), "x");
  EXPECT_FALSE(args.text("Value").has_value());
  args.with_text("empty", "");
  EXPECT_EQ(args.text("empty"), "");
}

TEST(ActionSpec, InvokeUsesHandlerElseFixedValueElsePrompt) {
  ActionArgs with_value;
  with_value.with_text("value", "hi");

  ActionSpec fixed = fixed_spec("open", op("fixed"));
  EXPECT_EQ(fixed.invoke(with_value), op("fixed"));

  ActionSpec prompt = prompt_spec("rename");
  EXPECT_EQ(prompt.invoke(with_value), op("text=hi"));
  EXPECT_EQ(prompt.invoke(ActionArgs{}), op("text="));

  ActionSpec handled = prompt_spec("post");
  handled.handler = std::make_shared<const std::function<EncodedAction(const ActionArgs&)>>(
      [](const ActionArgs& args) { return op("args=" + std::string(*args.text("value"))); });
  EXPECT_EQ(handled.invoke(with_value), op("args=hi"));
}

TEST(ActionSpec, DestructiveMarksACopyAndKeepsEverythingElse) {
  ActionSpec spec = fixed_spec("delete", op("d"));
  spec.label = "Delete channel";
  spec.dispatches = true;
  spec.effect = {StateEffect::Stored, Confirmation::WhenDestructive, Feedback::Refresh,
                 Duration::Instant};
  ActionSpec marked = spec.destructive();
  EXPECT_FALSE(spec.is_destructive);
  EXPECT_TRUE(marked.is_destructive);
  EXPECT_EQ(marked.name, spec.name);
  EXPECT_EQ(marked.label, spec.label);
  EXPECT_EQ(marked.effect, spec.effect);
  EXPECT_TRUE(marked.dispatches);
  EXPECT_EQ(marked.invoke(ActionArgs{}), op("d"));
}

TEST(Resource, WithActionAndWithChildAppendInOrder) {
  Resource root = Resource("chat.workspace:w1", "chat.workspace", "W")
                      .with_action(fixed_spec("open", op("1")))
                      .with_child(Resource("chat.channel:c1", "chat.channel", "# a"))
                      .with_action(prompt_spec("rename"))
                      .with_child(Resource("chat.channel:c2", "chat.channel", "# b"));
  root.with_action(fixed_spec("open", op("2")));
  ASSERT_EQ(root.actions.size(), 3u);
  EXPECT_EQ(root.actions[0].name, "open");
  EXPECT_EQ(root.actions[1].name, "rename");
  EXPECT_EQ(root.actions[2].invoke(ActionArgs{}), op("2"));
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(root.children[0].id, "chat.channel:c1");
  EXPECT_EQ(root.children[1].id, "chat.channel:c2");
  ASSERT_NE(root.find_action("open"), nullptr);
  EXPECT_EQ(root.find_action("open")->invoke(ActionArgs{}), op("1"));  // the first one
  EXPECT_EQ(root.find_action("delete"), nullptr);
}

TEST(EnforceOperationType, RetagsAndKeepsThePayload) {
  EncodedAction a{"chat.action", {'x'}};
  EXPECT_EQ(enforce_operation_type(a, "chat.operation"), (EncodedAction{"chat.operation", {'x'}}));
  EncodedAction b{"chat.operation", {'y'}};
  EXPECT_EQ(enforce_operation_type(b, "chat.operation"), b);
}

}  // namespace
}  // namespace vesk_actions
