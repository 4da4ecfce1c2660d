#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

std::string UniqueName() {
  std::random_device rd;
  return "VeltranoInstanceTest" + std::to_string(rd());
}

TEST(SingleInstance, ASecondInstanceSeesTheFirstUntilItEnds) {
  const std::string name = UniqueName();
  auto first = std::make_unique<platform::SingleInstance>(name);
  EXPECT_FALSE(first->AnotherInstanceRuns());
  {
    const platform::SingleInstance second(name);
    EXPECT_TRUE(second.AnotherInstanceRuns());
  }
  EXPECT_FALSE(platform::SingleInstance(UniqueName()).AnotherInstanceRuns())
      << "another name is another program";
  first.reset();
  const platform::SingleInstance third(name);
  EXPECT_FALSE(third.AnotherInstanceRuns()) << "the marker goes with the instance that held it";
}

}  // namespace
