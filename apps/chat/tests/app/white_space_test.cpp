#include "app/white_space.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chat::app {
namespace {

TEST(WhiteSpace, TrimsUnicodeWhiteSpaceAtBothEnds) {
  struct Case {
    std::string text, trimmed;
  };
  const std::vector<Case> cases = {
      {"  hi ", "hi"},
      {"\n\t a b \r\n", "a b"},                  // inner blanks stay
      {"\u00a0x\u3000", "x"},                    // no-break and ideographic spaces
      {"\u2028line\u0085", "line"},              // line separator, next line
      {"\u200bword\u200b", "\u200bword\u200b"},  // zero-width space is not white space
      {"\u00e9", "\u00e9"},
      {" \xff ", "\xff"},  // an invalid byte is kept, never split
      {"   ", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(trim_white_space(c.text)), c.trimmed) << c.text;
    EXPECT_EQ(is_blank(c.text), c.trimmed.empty()) << c.text;
  }
}

}  // namespace
}  // namespace chat::app
