// J0 and J1 against the standard library's independent implementation, over
// the small-argument series, the rational ranges and the asymptotic range.
#include "multilayer/bessel.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestral::multilayer
