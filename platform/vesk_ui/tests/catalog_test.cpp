#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "vesk_ui/catalog.hpp"

namespace vesk_ui {
namespace {

TEST(FluentParser, ReadsMessagesAndSkipsCommentsAndJunk) {
  struct Case {
    const char* name;
    const char* source;
    std::map<std::string, std::string> expected;
  };
  const std::vector<Case> cases = {
      {"plain", "a = One\nb-c = Two words\n", {{"a", "One"}, {"b-c", "Two words"}}},
      {"comments of every level",
       "### resource\n## group\n# message note\nkey = Value\n#key2 = hidden\n",
       {{"key", "Value"}}},
      {"spaces around equals and trailing blanks",
       "k=v  \nk2   =   w\r\n",
       {{"k", "v"}, {"k2", "w"}}},
      {"multiline value joined by newlines",
       "m =\n    first\n    second\nn = x\n",
       {{"m", "first\nsecond"}, {"n", "x"}}},
      {"blank line inside a multiline value", "m = a\n\n  b\n", {{"m", "a\nb"}}},
      {"indented line continues the message above", "ok = yes\n  more\n", {{"ok", "yes\nmore"}}},
      {"junk lines skipped",
       "= nothing\n9lives = no\nok = yes\n# note\n  stray indent\nbad line\n",
       {{"ok", "yes"}}},
      {"message without value is junk", "empty =\nfull = f\n", {{"full", "f"}}},
      {"later duplicate wins", "d = 1\nd = 2\n", {{"d", "2"}}},
      {"utf-8 kept as is", "plus = ＋ Category\n", {{"plus", "＋ Category"}}},
  };
  for (const Case& c : cases) {
    auto parsed = parse_fluent_messages(c.source);
    std::map<std::string, std::string> got(parsed.begin(), parsed.end());
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(EmbeddedCatalog, LooksUpByLocaleAndFallsBackToTheKey) {
  EmbeddedCatalog catalog;
  catalog.add_resource("en-US", "hello = Hello\nbye = Bye\n");
  catalog.add_resource("de-DE", "hello = Hallo\n");
  EXPECT_EQ(catalog.locale(), "en-US");
  EXPECT_EQ(catalog.t("hello"), "Hello");
  EXPECT_EQ(catalog.t("missing-key"), "missing-key");
  EXPECT_EQ(catalog.t_in("de-DE", "hello"), "Hallo");
  EXPECT_EQ(catalog.t_in("de-DE", "bye"), "bye");
  EXPECT_EQ(catalog.t_in("fr-FR", "hello"), "hello");
  catalog.set_locale("de-DE");
  EXPECT_EQ(catalog.t("hello"), "Hallo");
}

}  // namespace
}  // namespace vesk_ui
