#include "fatal.hpp"

#include <gtest/gtest.h>

namespace chat {
namespace {

TEST(FatalDeathTest, StopsTheProgramWithItsText) {
  EXPECT_DEATH(fatal("put map"), "put map");
}

}  // namespace
}  // namespace chat
