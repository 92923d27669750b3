#include "app/data_dir.hpp"

#include <gtest/gtest.h>

#include "identity_test_env.hpp"

namespace chat::app {
namespace {

TEST(ChatDataDir, FirstOfTheEnvironmentTheDataDirectoryAndHome) {
  struct Case {
    const char* label;
    std::optional<std::string> chat_data;
    std::optional<std::string> data_home;
    std::optional<std::string> home;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"chat data wins, taken as it is", "/srv/chat", "/x/data", "/h/ann", "/srv/chat"},
      {"chat data relative", "rel/dir/", "/x/data", "/h/ann", "rel/dir/"},
      {"chat data empty", "", "/x/data", "/h/ann", ""},
      {"data home", std::nullopt, "/x/data", "/h/ann", "/x/data/vesk-chat"},
      {"home", std::nullopt, std::nullopt, "/h/ann", "/h/ann/.local/share/vesk-chat"},
      {"relative data home falls back to home", std::nullopt, "x/data", "/h/ann",
       "/h/ann/.local/share/vesk-chat"},
      {"nothing", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    test::IdentityEnv env;
    env.set("VESK_CHAT_DATA", c.chat_data);
    env.set("XDG_DATA_HOME", c.data_home);
    env.set("HOME", c.home);
    const auto dir = chat_data_dir();
    EXPECT_EQ(dir ? std::optional<std::string>(dir->string()) : std::nullopt, c.expected);
  }
}

TEST(ChatDataDir, DocumentPathJoinsTheFileName) {
  EXPECT_EQ(document_path("/srv/chat"), std::filesystem::path("/srv/chat/workspace.automerge"));
  EXPECT_EQ(document_path(""), std::filesystem::path("workspace.automerge"));
}

}  // namespace
}  // namespace chat::app
