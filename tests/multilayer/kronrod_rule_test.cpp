// The Gauss-Kronrod rule: exact for polynomials of its degrees, weights
// adding up to 2, symmetric nodes, and an error estimate that bounds the
// actual error of smooth and of oscillating integrands.
#include "multilayer/kronrod_rule.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace kestral::multilayer {
namespace {

TEST(KronrodRule, ExactForItsDegrees) {
  const KronrodRule& r = kronrod_rule();
  for (int degree = 0; degree <= 31; ++degree) {
    double kronrod = 0, gauss = 0;
    for (int k = 0; k < kKronrodNodes; ++k) {
      const double v = std::pow(r.node[static_cast<std::size_t>(k)], degree);
      kronrod += r.kronrod_weight[static_cast<std::size_t>(k)] * v;
      gauss += r.gauss_weight[static_cast<std::size_t>(k)] * v;
    }
    const double exact = degree % 2 == 1 ? 0.0 : 2.0 / (degree + 1);
    // Kronrod 21 integrates degree 31, Gauss 10 degree 19, to rounding.
    EXPECT_NEAR(kronrod, exact, 8 * DBL_EPSILON) << degree;
    if (degree <= 19) {
      EXPECT_NEAR(gauss, exact, 8 * DBL_EPSILON) << degree;
    }
  }
  for (int k = 0; k < kKronrodNodes; ++k)
    EXPECT_EQ(r.node[static_cast<std::size_t>(k)], -r.node[static_cast<std::size_t>(kKronrodNodes - 1 - k)]);
}

TEST(KronrodRule, ErrorEstimateBoundsTheActualError) {
  const KronrodRule& r = kronrod_rule();
  // cos(w (1 + x) / 2) over [-1, 1] for up to about a period and beyond.
  for (double w : {1.0, 3.0, 6.28, 9.0, 14.0}) {
    double kronrod = 0, gauss = 0, absolute = 0, spread = 0;
    for (int k = 0; k < kKronrodNodes; ++k) {
      const auto i = static_cast<std::size_t>(k);
      const double f = std::cos(w * (1 + r.node[i]) / 2);
      kronrod += r.kronrod_weight[i] * f;
      gauss += r.gauss_weight[i] * f;
      absolute += r.kronrod_weight[i] * std::fabs(f);
    }
    for (int k = 0; k < kKronrodNodes; ++k) {
      const auto i = static_cast<std::size_t>(k);
      spread += r.kronrod_weight[i] * std::fabs(std::cos(w * (1 + r.node[i]) / 2) - kronrod / 2);
    }
    const double exact = 2 * std::sin(w) / w;
    EXPECT_LE(std::fabs(kronrod - exact), kronrod_error(kronrod, gauss, spread, absolute)) << w;
  }
}

}  // namespace
}  // namespace kestral::multilayer
