#include "app/draft_keys.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace chat::app {
namespace {

TEST(DraftKeys, ThreadKeyOnlyWhileTheThreadComposerIsInUse) {
  struct Case {
    std::optional<std::string> open_thread;
    int focus;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {std::nullopt, kComposerMain, "c_1"},
      {std::nullopt, kComposerThread, "c_1"},  // focus on a thread that is not open
      {"m_9", kComposerMain, "c_1"},
      {"m_9", kComposerThread, "c_1::t::m_9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(composer_draft_key("c_1", c.open_thread, c.focus), c.expected)
        << c.open_thread.value_or("(none)") << " focus " << c.focus;
    EXPECT_EQ(thread_composer_in_use(c.open_thread, c.focus), c.expected != "c_1");
  }
  EXPECT_EQ(thread_draft_key("c_1", std::string("m_9")), "c_1::t::m_9");
  EXPECT_EQ(thread_draft_key("c_1", std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace chat::app
