#include "crdt/types.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace crdt {
namespace {

TEST(ActorIdTest, HexRoundTripAndLimits) {
  ActorId a = ActorId::random();
  EXPECT_EQ(a.size(), 16u);
  EXPECT_NE(a, ActorId::random());
  EXPECT_EQ(ActorId::from_hex(a.to_hex()), a);
  EXPECT_FALSE(ActorId::from_hex(""));
  EXPECT_FALSE(ActorId::from_hex("zz"));
  EXPECT_FALSE(ActorId::from_bytes(Bytes(33, 1)));
  EXPECT_TRUE(ActorId::from_bytes(Bytes(32, 1)));
}

TEST(ActorIdTest, OrdersBytewiseShorterPrefixFirst) {
  auto a = *ActorId::from_hex("01");
  auto ab = *ActorId::from_hex("0100");
  auto b = *ActorId::from_hex("ff");
  EXPECT_LT(a, ab);
  EXPECT_LT(ab, b);
  EXPECT_LT(a, b);
}

TEST(ScalarValueTest, ConstructorsPickTheIntendedKind) {
  EXPECT_TRUE(std::holds_alternative<std::int64_t>(ScalarValue(3).content));
  EXPECT_TRUE(std::holds_alternative<std::uint64_t>(ScalarValue(3u).content));
  EXPECT_TRUE(std::holds_alternative<bool>(ScalarValue(true).content));
  EXPECT_TRUE(std::holds_alternative<double>(ScalarValue(3.9).content));
  EXPECT_TRUE(std::holds_alternative<std::string>(ScalarValue("x").content));
  EXPECT_TRUE(std::holds_alternative<Null>(ScalarValue().content));
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ScalarValue(nan), ScalarValue(nan));
  EXPECT_NE(ScalarValue(std::int64_t{1}), ScalarValue(std::uint64_t{1}));
}

}  // namespace
}  // namespace crdt
