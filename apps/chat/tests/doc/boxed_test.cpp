#include "doc/boxed.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace chat::doc {
namespace {

using Text = Boxed<std::string>;

TEST(Boxed, CopiesAreDeepAndCompareByValue) {
  Text a = std::string("attachment");
  Text b = a;
  *b += " changed";
  EXPECT_EQ(*a, "attachment");
  EXPECT_EQ(*b, "attachment changed");
  EXPECT_FALSE(a == b);
  b = a;
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(a == std::optional<std::string>("attachment"));
  EXPECT_FALSE(a == std::optional<std::string>());
  EXPECT_FALSE(a == std::nullopt);
  EXPECT_TRUE(Text() == Text(std::nullopt));
  EXPECT_TRUE(Text() == std::optional<std::string>());
  EXPECT_FALSE(Text() == a);
}

TEST(Boxed, AssignmentsSetClearAndReuseTheHeldValue) {
  Text held = std::string(100, 'x');
  const std::string* storage = &*held;
  const Text other = std::string("short");
  held = other;  // copied into the held value, as records assigned over others are
  EXPECT_EQ(&*held, storage);
  EXPECT_EQ(*held, "short");
  held = std::optional<std::string>();
  EXPECT_FALSE(held);
  held = std::optional<std::string>("back");
  ASSERT_TRUE(held.has_value());
  EXPECT_EQ(held->size(), 4u);
  held = std::nullopt;
  EXPECT_FALSE(held);
  Text empty;
  held = std::string("again");
  held = empty;
  EXPECT_FALSE(held);
  Text moved = std::string("moved");
  Text target = std::move(moved);
  EXPECT_EQ(*target, "moved");
}

}  // namespace
}  // namespace chat::doc
