// The distance from the second wheel against |R - 310| in double, rounded
// once: one float subtraction is exact to the rounding of its result.
#include "driver/dual_wheel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace kestral {
namespace {

float rounded_distance(float R) { return static_cast<float>(std::fabs(double{R} - 310.0)); }

TEST(DualWheel, DistanceFromTheSecondWheelIsTheRoundedTrueDistance) {
  const float edges[] = {0.0f, 155.0f, 310.0f, std::nextafter(310.0f, 0.0f),
                         std::nextafter(310.0f, 1e9f), 465.0f, 620.0f, 2132.44f,
                         std::numeric_limits<float>::denorm_min(), 3e38f};
  for (float R : edges) EXPECT_EQ(distance_from_second_wheel(R), rounded_distance(R)) << R;
  EXPECT_EQ(distance_from_second_wheel(0.0f), 310.0f);
  EXPECT_EQ(distance_from_second_wheel(310.0f), 0.0f);
  EXPECT_EQ(distance_from_second_wheel(155.0f), 155.0f);  // midway: both wheels alike

  std::mt19937 generator(310);
  std::uniform_real_distribution<float> offset(0.0f, 5000.0f);
  for (int i = 0; i < 10000; ++i) {
    const float R = offset(generator);
    ASSERT_EQ(distance_from_second_wheel(R), rounded_distance(R)) << R;
  }
}

}  // namespace
}  // namespace kestral
