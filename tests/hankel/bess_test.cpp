#include "hankel/bess.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>

namespace kestral {
namespace {

float bess(float x, int order) {
  float value = -99.0f;
  BESS(x, value, order);
  return value;
}

// Oracle: libstdc++'s Bessel functions in double, far more accurate than the
// single-precision results checked here. J1 is odd, J0 even.
double true_bessel(int order, double x) {
  const double v = std::cyl_bessel_j(double(order), std::fabs(x));
  return (order == 1 && x < 0.0) ? -v : v;
}

// The reference values below are quoted to seven decimals; half a unit of
// the last one is the most they can say about a float.
constexpr double kQuotedHalfUnit = 0.5e-7;

TEST(BessTest, OriginIsExact) {
  // The series stops on its own after t(4) or t(5), adding only zeros to t(1).
  EXPECT_EQ(bess(0.0f, 0), 1.0f);
  EXPECT_EQ(bess(0.0f, 1), 0.0f);
}

TEST(BessTest, BothSidesOfTheSwitchOverAt30) {
  // 30 takes the series, 30.0001 the asymptotic form. Both are weakest here:
  // the series cancels terms of order 1e11 in double, the asymptotic form
  // drops a term of relative size 9/(128 x^2), about 1e-5 absolute.
  constexpr double kSwitchOverAccuracy = 2e-5;
  // 30 itself is summed as a series (values from a separate double-precision
  // summation of the same terms); the asymptotic form would give -0.0863750
  // and -0.1187361 there.
  EXPECT_NEAR(bess(30.0f, 0), -0.0863574, kQuotedHalfUnit);
  EXPECT_NEAR(bess(30.0f, 1), -0.1187570, kQuotedHalfUnit);
  EXPECT_NEAR(bess(30.0f, 0), -0.0863680, kSwitchOverAccuracy);
  EXPECT_NEAR(bess(30.0f, 1), -0.1187511, kSwitchOverAccuracy);
  const float above = 30.0001f;
  EXPECT_NEAR(bess(above, 0), true_bessel(0, above), kSwitchOverAccuracy);
  EXPECT_NEAR(bess(above, 1), true_bessel(1, above), kSwitchOverAccuracy);
  // The stated true values themselves, against the oracle.
  EXPECT_NEAR(true_bessel(0, 30.0), -0.0863680, kQuotedHalfUnit);
  EXPECT_NEAR(true_bessel(1, 30.0), -0.1187511, kQuotedHalfUnit);
}

TEST(BessTest, AsymptoticFormAt31) {
  // What the cut form gives, and how far that is from the true values.
  EXPECT_NEAR(bess(31.0f, 0), 0.0512116, kQuotedHalfUnit);
  EXPECT_NEAR(bess(31.0f, 1), -0.1330079, kQuotedHalfUnit);
  constexpr double kAsymptoticAccuracyAt31 = 5e-5;
  EXPECT_NEAR(bess(31.0f, 0), 0.0512081, kAsymptoticAccuracyAt31);
  EXPECT_NEAR(bess(31.0f, 1), -0.1330243, kAsymptoticAccuracyAt31);
  EXPECT_NEAR(true_bessel(0, 31.0), 0.0512081, kQuotedHalfUnit);
  EXPECT_NEAR(true_bessel(1, 31.0), -0.1330243, kQuotedHalfUnit);
}

TEST(BessTest, NegativeArgumentsFollowTheSeries) {
  EXPECT_NEAR(bess(-5.0f, 0), -0.1775968, kQuotedHalfUnit);
  EXPECT_NEAR(bess(-5.0f, 1), 0.3275791, kQuotedHalfUnit);
  // The series sees x only through x*x beyond its first term, so J0 is
  // exactly even and J1 exactly odd down to -30.
  for (int i = 0; i <= 81; ++i) {
    const float x = 0.37f * static_cast<float>(i);
    EXPECT_EQ(bess(-x, 0), bess(x, 0)) << "x = " << x;
    EXPECT_EQ(bess(-x, 1), -bess(x, 1)) << "x = " << x;
  }
  // Below -30 the series runs on, losing accuracy (about 5e-5 at -31).
  EXPECT_NEAR(bess(-31.0f, 0), true_bessel(0, -31.0), 1e-4);
}

TEST(BessTest, FirstZeroOfJ0IsSmallButNotZero) {
  const float zero = 2.4048257f;
  const float value = bess(zero, 0);
  EXPECT_NE(value, 0.0f);
  EXPECT_LT(std::fabs(value), 1e-6f);
  // The float argument misses the true zero by about 1.3e-7; J0 there is
  // -J1(zero) times that offset, which the series reproduces to float eps.
  EXPECT_NEAR(value, true_bessel(0, zero), double{FLT_EPSILON});
}

TEST(BessTest, ArgumentAndResultMayBeTheSameVariable) {
  float v = 31.0f;
  BESS(v, v, 0);
  EXPECT_EQ(v, bess(31.0f, 0));
  v = 5.0f;
  BESS(v, v, 1);
  EXPECT_EQ(v, bess(5.0f, 1));
}

TEST(BessTest, OtherOrdersLeaveTheValueAlone) {
  for (const int order : {-1, 2, 7}) {
    for (const float x : {0.0f, 10.0f, 30.0f, 31.0f, 200.0f}) {
      float value = 123.0f;
      BESS(x, value, order);
      EXPECT_EQ(value, 123.0f) << "order " << order << ", x = " << x;
    }
  }
}

// Largest error each method may make at x, in absolute terms.
//
// Series (x <= 30): every term is rounded in double, and the terms add up in
// magnitude to I_n(x), so the sum is good to a few DBL_EPSILON * I_n(x);
// one float ulp for the stored result, and the stop tolerance 1e-10.
//
// Asymptotic form (x > 30): the first neglected terms of Hankel's P and Q,
// (mu-1)(mu-9)/(2 (8x)^2) and (mu-1)(mu-9)(mu-25)/(6 (8x)^3) with mu = 4n^2,
// which bound the remainder for real x, times the amplitude sqrt(2/(pi x));
// plus two FLT_EPSILON of that amplitude for the single-precision constants
// and sines, and one float ulp for the stored result. This falls like x^-2.5.
double method_error_bound(int order, double x) {
  const double j = std::fabs(true_bessel(order, x));
  if (x <= 30.0) {
    return DBL_EPSILON * std::cyl_bessel_i(double(order), x) + double{FLT_EPSILON} * j + 1e-10;
  }
  const double mu = 4.0 * order * order;
  const double p2 = std::fabs((mu - 1) * (mu - 9)) / (2.0 * 64.0 * x * x);
  const double q3 = std::fabs((mu - 1) * (mu - 9) * (mu - 25)) / (6.0 * 512.0 * x * x * x);
  const double amplitude = std::sqrt(2.0 / (std::numbers::pi * x));
  return amplitude * (p2 + q3 + 2.0 * double{FLT_EPSILON}) + double{FLT_EPSILON} * j;
}

// The largest argument a valid run passes: m below 152 (a surface point's
// passes stop at m = 150, a deeper one's earlier) times rho = R/a at most 20
// (the limit of an accepted point's offset from either wheel) is 3040.
constexpr double kLargestArgumentInUse = 20.0 * 152.0;

TEST(BessTest, AccurateOverTheWholeRangeInUse) {
  // Step 0.01 up to 260 crosses every oscillation about 600 times, step 0.05
  // beyond about 125 times, to past the largest argument of a valid run.
  double worst_near_switch = 0.0;
  double worst_far = 0.0;
  const auto check = [&](int order, float x) {
    const double error = std::fabs(double{bess(x, order)} - true_bessel(order, x));
    ASSERT_LE(error, method_error_bound(order, x)) << "order " << order << ", x = " << x;
    if (x > 25.0f && x < 35.0f && error > worst_near_switch) worst_near_switch = error;
    if (x > 1000.0f && error > worst_far) worst_far = error;
  };
  const int far_steps = static_cast<int>((kLargestArgumentInUse + 60.0 - 260.0) / 0.05);
  for (int order = 0; order <= 1; ++order) {
    for (int i = 0; i <= 26000; ++i) check(order, static_cast<float>(i * 0.01));
    for (int i = 1; i <= far_steps; ++i) check(order, static_cast<float>(260.0 + i * 0.05));
  }
  // Far out only the float rounding of the constants, sines and result is
  // left: measured 4.3e-9, 1.7e-7 of the amplitude 0.0146 at 3000.
  EXPECT_LT(worst_far, 2.0 * double{FLT_EPSILON} * std::sqrt(2.0 / (std::numbers::pi * 1000.0)));
  // The system works to about 1e-5 near the switch-over; a few times that is
  // the double series' cancellation at its worst.
  EXPECT_LT(worst_near_switch, 5e-5);
}

}  // namespace
}  // namespace kestral
