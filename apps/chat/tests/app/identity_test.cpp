#include "app/identity.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "identity_test_env.hpp"

namespace chat::app {
namespace {

using test::IdentityEnv;

bool is_random_user_id(const std::string& id) {
  static const std::regex form("u_[0-9a-f]{12}4[0-9a-f]{3}[89ab][0-9a-f]{15}");
  return std::regex_match(id, form);
}

void write_file(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(LocalDisplayName, CapitalisesThePiecesOfTheUserName) {
  struct Case {
    std::optional<std::string> user;
    std::optional<std::string> username;
    std::string expected;
  };
  const Case cases[] = {
      {"jane.doe", std::nullopt, "Jane Doe"},
      {"ann_lee-ross", std::nullopt, "Ann Lee Ross"},
      {"  mary  ", std::nullopt, "Mary"},
      {"jOHN..smith__", std::nullopt, "JOHN Smith"},  // the rest of a piece stays as it is
      {"émile.zola", std::nullopt, "Émile Zola"},
      {"ivan", std::nullopt, "Ivan"},  // the same mapping whatever the locale
      {"straße", std::nullopt, "Straße"},
      {"ßen", std::nullopt, "SSen"},  // the full mapping: one letter becomes two
      {"ﬁona", std::nullopt, "FIona"},
      {"\xc7\x86ura", std::nullopt, "\xc7\x84ura"},  // upper case, not title case
      {"   ", std::nullopt, "You"},
      {"...", std::nullopt, "You"},
      {"._- ", "bob", "You"},
      {"", "bob", "You"},  // USER set but empty: USERNAME is not asked
      {std::nullopt, "bob.marley", "Bob Marley"},
      {"\xff\xfe", "bob", "Bob"},  // USER that is not UTF-8 counts as unset
      {std::nullopt, std::nullopt, "You"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user.value_or("<unset>") + " / " + c.username.value_or("<unset>"));
    IdentityEnv env;
    env.set("USER", c.user);
    env.set("USERNAME", c.username);
    EXPECT_EQ(local_display_name(), c.expected);
  }
}

TEST(ColorIndex, IsTheFnv1aHashModuloEight) {
  // Published FNV-1a 64-bit vectors: "" cbf29ce484222325, "a" af63dc4c8601ec8c,
  // "foobar" 85944171f73967e8.
  EXPECT_EQ(color_index(""), 5u);
  EXPECT_EQ(color_index("a"), 4u);
  EXPECT_EQ(color_index("foobar"), 0u);
  std::array<std::uint8_t, 32> key{};
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(color_index(key), 5u);  // e6cb594c1a148ac5
  for (int i = 0; i < 1000; ++i) EXPECT_LT(color_index("u_" + std::to_string(i)), 8u);
}

TEST(InitialsOf, FallsBackToY) {
  EXPECT_EQ(initials_of(""), "Y");
  EXPECT_EQ(initials_of("   "), "Y");
  const std::string jane = initials_of("Jane Doe");
  EXPECT_GE(jane.size(), 1u);
  EXPECT_LE(jane.size(), 2u);
  EXPECT_EQ(jane[0], 'J');
}

IdentitySources with_platform(runtime_identity::LoadResult answer,
                              std::filesystem::path hostname_file = "/nonexistent/hostname") {
  IdentitySources sources;
  sources.platform = [answer] { return answer; };
  sources.hostname_file = std::move(hostname_file);
  return sources;
}

TEST(LoadLocalIdentity, TakesThePlatformIdentityFirst) {
  runtime_identity::Identity identity;
  for (std::size_t i = 0; i < identity.key.size(); ++i)
    identity.key[i] = static_cast<std::uint8_t>(i);
  struct Case {
    std::string platform_name;
    std::string expected_name;
  };
  const Case cases[] = {
      {"  Ada Lovelace \n", "Ada Lovelace"},
      {" \t\n", "Jane Doe"},  // a blank name: the one from USER
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform_name);
    IdentityEnv env;
    env.set("USER", "jane.doe");
    env.set("VESK_CHAT_DATA", (env.root() / "data").string());
    identity.name = c.platform_name;
    const LocalPerson person = load_local_identity(with_platform(std::optional(identity)));
    EXPECT_EQ(person.id, "u_0001020304050607");
    EXPECT_EQ(person.name, c.expected_name);
    EXPECT_EQ(person.initials, initials_of(c.expected_name));
    EXPECT_EQ(person.color_idx, 5u);
    EXPECT_FALSE(std::filesystem::exists(env.root() / "data"));  // no peer id made
  }
}

TEST(LoadLocalIdentity, UsesTheStoredPeerIdWithoutAPlatformIdentity) {
  struct Case {
    const char* label;
    runtime_identity::LoadResult platform;
    std::optional<std::string> stored;       // none: no file
    std::optional<std::string> expected_id;  // none: a new random id
  };
  const Case cases[] = {
      {"stored id, blanks around it", std::optional<runtime_identity::Identity>{}, "  u_abc \n",
       "u_abc"},
      {"platform error", runtime_identity::Error{"service down"}, "u_abc", "u_abc"},
      {"empty file", std::optional<runtime_identity::Identity>{}, "", std::nullopt},
      {"blank file", std::optional<runtime_identity::Identity>{}, " \n\t", std::nullopt},
      {"not UTF-8", std::optional<runtime_identity::Identity>{}, "u_\xff\xfe", std::nullopt},
      {"no file, no directory yet", std::optional<runtime_identity::Identity>{}, std::nullopt,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    IdentityEnv env;
    env.set("USER", "ann_lee-ross");
    const auto dir = env.root() / "deep" / "data" / "dir";
    env.set("VESK_CHAT_DATA", dir.string());
    if (c.stored) write_file(dir / "peer-id", *c.stored);

    const LocalPerson person = load_local_identity(with_platform(c.platform));
    if (c.expected_id) {
      EXPECT_EQ(person.id, *c.expected_id);
    } else {
      EXPECT_TRUE(is_random_user_id(person.id)) << person.id;
    }
    EXPECT_EQ(read_file(dir / "peer-id"), c.expected_id ? *c.stored : person.id);
    EXPECT_EQ(person.name, "Ann Lee Ross");
    EXPECT_EQ(person.initials, initials_of("Ann Lee Ross"));
    EXPECT_EQ(person.color_idx, color_index(person.id));
    // The next start finds the same id.
    EXPECT_EQ(load_local_identity(with_platform(c.platform)).id, person.id);
  }
}

TEST(LoadLocalIdentity, DerivesTheIdWithoutAUsableDataDirectory) {
  struct Case {
    const char* label;
    bool data_dir_blocked;  // false: no data directory at all
    std::optional<std::string> user;
    std::optional<std::string> username;
    std::optional<std::string> hostname;
    std::optional<std::string> hostname_file;
    std::string expected_id;  // empty: a new random id on every call
  };
  const Case cases[] = {
      {"data directory cannot be made", true, "jane", std::nullopt, "box", std::nullopt,
       "u_882b0499c985ebc4"},
      {"no data directory", false, "jane", std::nullopt, "box", std::nullopt, "u_882b0499c985ebc4"},
      {"USERNAME when USER is unset", false, std::nullopt, "jane", "box", std::nullopt,
       "u_882b0499c985ebc4"},
      {"empty HOSTNAME: the hostname file", false, "ann", std::nullopt, "", "  from-file\n",
       "u_a49561ebefe41021"},
      {"no host at all", false, "jane", std::nullopt, std::nullopt, std::nullopt,
       "u_78cdb9d3a6316ee3"},
      {"no user at all", false, std::nullopt, std::nullopt, "box", std::nullopt,
       "u_78c91096f75ae920"},
      {"neither user nor host", true, std::nullopt, std::nullopt, std::nullopt, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    IdentityEnv env;
    env.set("HOME", std::nullopt);
    if (c.data_dir_blocked) {
      write_file(env.root() / "plain-file", "x");
      env.set("VESK_CHAT_DATA", (env.root() / "plain-file" / "data").string());
    }
    env.set("USER", c.user);
    env.set("USERNAME", c.username);
    env.set("HOSTNAME", c.hostname);
    const auto hostname_file = env.root() / "hostname";
    if (c.hostname_file) write_file(hostname_file, *c.hostname_file);

    const auto sources = with_platform(std::optional<runtime_identity::Identity>{}, hostname_file);
    const LocalPerson person = load_local_identity(sources);
    if (c.expected_id.empty()) {
      EXPECT_TRUE(is_random_user_id(person.id)) << person.id;
      EXPECT_NE(load_local_identity(sources).id, person.id);
    } else {
      EXPECT_EQ(person.id, c.expected_id);
      EXPECT_EQ(load_local_identity(sources).id, person.id);
    }
    EXPECT_EQ(person.name, local_display_name());
    EXPECT_EQ(person.color_idx, color_index(person.id));
    EXPECT_EQ(read_file(env.root() / "plain-file"), c.data_dir_blocked ? "x" : "");
  }
}

}  // namespace
}  // namespace chat::app
