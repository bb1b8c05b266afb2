// J0 and J1 against the standard library's independent implementation, over
// the small-argument series, the rational ranges and the asymptotic range.
#include "multilayer/bessel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace kestral::multilayer {
namespace {

TEST(Bessel, AgreesWithTheStandardLibrary) {
  double worst = 0;
  for (double x = 0.0; x < 400.0; x += 0.0137) {
    worst = std::max(worst, std::fabs(bessel_j0(x) - std::cyl_bessel_j(0.0, x)));
    worst = std::max(worst, std::fabs(bessel_j1(x) - std::cyl_bessel_j(1.0, x)));
  }
  // Both within a few hundred DBL_EPSILON of 1 (the functions' scale) up to
  // x = 400, where the asymptotic forms' phase x - pi/4 carries the rounding
  // of x itself (400 DBL_EPSILON = 9e-14).
  EXPECT_LT(worst, 2e-13);
  EXPECT_EQ(bessel_j0(0.0), 1.0);
  EXPECT_EQ(bessel_j1(0.0), 0.0);
  EXPECT_NEAR(bessel_j1(1e-300), 5e-301, 1e-315);
}

// The pair: Boost's kernels below 20, exactly; from 20 on the shared
// asymptotic series, against the standard library (independent) and against
// Boost's kernels (which go through their own asymptotic rational forms).
TEST(Bessel, PairAgreesWithBothImplementations) {
  for (double x : {0.0, 1e-3, 3.0, 8.0, 19.999}) {
    EXPECT_EQ(bessel_j0_j1(x).j0, bessel_j0(x));
    EXPECT_EQ(bessel_j0_j1(x).j1, bessel_j1(x));
  }
  double worst_std = 0, worst_boost = 0;
  for (double x = 20.0; x < 400.0; x += 0.00731) {
    const BesselPair b = bessel_j0_j1(x);
    worst_std = std::max({worst_std, std::fabs(b.j0 - std::cyl_bessel_j(0.0, x)),
                          std::fabs(b.j1 - std::cyl_bessel_j(1.0, x))});
    worst_boost = std::max({worst_boost, std::fabs(b.j0 - bessel_j0(x)), std::fabs(b.j1 - bessel_j1(x))});
  }
  // Each value has the size sqrt(2 / (pi x)) <= 0.18 and is read off a sine
  // and cosine of x: a few DBL_EPSILON, and the same 2e-13 at x = 400 as
  // above (the phase).
  EXPECT_LT(worst_std, 2e-13);
  EXPECT_LT(worst_boost, 2e-13);
  // Near 20, where the series is shortest for its accuracy: no further from
  // the standard library than Boost's kernels are (both then carry only the
  // phase's rounding, about x DBL_EPSILON / 2), to within 4 DBL_EPSILON.
  double mine = 0, boost = 0;
  for (double x = 20.0; x < 30.0; x += 0.00317) {
    const BesselPair b = bessel_j0_j1(x);
    mine = std::max({mine, std::fabs(b.j0 - std::cyl_bessel_j(0.0, x)), std::fabs(b.j1 - std::cyl_bessel_j(1.0, x))});
    boost = std::max({boost, std::fabs(bessel_j0(x) - std::cyl_bessel_j(0.0, x)),
                      std::fabs(bessel_j1(x) - std::cyl_bessel_j(1.0, x))});
  }
  EXPECT_LT(mine, boost + 4 * DBL_EPSILON);
}

}  // namespace
}  // namespace kestral::multilayer
