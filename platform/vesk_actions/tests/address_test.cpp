#include "vesk_actions/address.hpp"

#include <gtest/gtest.h>

namespace vesk_actions {
namespace {

TEST(ActionAddress, EncodesResourceAndActionAndDecodesThemBack) {
  struct Case {
    ActionAddress address;
    const char* text;
  };
  const Case cases[] = {
      {{"chat.channel:c1", "open"}, "chat.channel:c1#open"},
      {{"chat.people", "open"}, "chat.people#open"},
      {{"chat.reaction:m1:#tag", "remove"}, "chat.reaction:m1:#tag#remove"},
      {{"", "open"}, "#open"},
      {{"r", "50%#off"}, "r#50%25%23off"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.address.encode(), c.text);
    EXPECT_EQ(ActionAddress::decode(c.text), c.address) << c.text;
  }
}

TEST(ActionAddress, RefusesTextsThatNoAddressEncodesTo) {
  for (const char* text : {"", "chat.channel:c1", "chat.channel:c1#", "r#bad%2", "r#bad%41"})
    EXPECT_FALSE(ActionAddress::decode(text).has_value()) << text;
}

}  // namespace
}  // namespace vesk_actions
