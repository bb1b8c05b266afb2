// The transformed fields of one layer: P1..P3 are the derivatives of P0
// (checked by differences in z), the fields satisfy the mode's equilibrium
// and constitutive relations, and the half-space forms are the general ones
// with c1 = -2 nu, c2 = -1.
#include "multilayer/layer_response.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace kestral::multilayer {
namespace {

LayerPlace place(double m, double s, double t) {
  return {std::exp(-m * s), m * s, std::exp(-m * t), m * t};
}

TEST(LayerResponse, FormsAreDerivativesAndFieldsAreInEquilibrium) {
  const std::array<double, 4> c{0.3, -1.1, 0.7, 0.4};
  const double m = 1.7, h = 2.0, nu = 0.3, g = 5.0;
  for (double s : {0.2, 0.9, 1.6}) {
    // Derivatives in z by central differences (step 1e-4: error ~1e-8).
    const double dz = 1e-4;
    auto P = [&](double depth, int k) {
      const FormMatrix f = stress_function_forms(place(m, depth, h - depth));
      double v = 0;
      for (int j = 0; j < 4; ++j) v += f[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)] * c[static_cast<std::size_t>(j)];
      return v;
    };
    for (int k = 0; k < 3; ++k) {
      const double derivative = (P(s + dz, k) - P(s - dz, k)) / (2 * dz);
      EXPECT_NEAR(derivative / m, P(s, k + 1), 1e-7) << k;
    }
    // sigma_z' = -m tau (vertical equilibrium of the mode), from the values.
    const ModeValues lo = mode_values(c, place(m, s - dz, h - s + dz), m, nu, g);
    const ModeValues hi = mode_values(c, place(m, s + dz, h - s - dz), m, nu, g);
    const ModeValues at = mode_values(c, place(m, s, h - s), m, nu, g);
    EXPECT_NEAR((hi.sigma_z - lo.sigma_z) / (2 * dz), -m * at.tau_rz, 1e-7);
    // tau = G (u_r' - m u_z).
    EXPECT_NEAR(at.tau_rz, g * ((hi.u_r - lo.u_r) / (2 * dz) - m * at.u_z), 1e-7);
  }
}

// The general and the closed half-space forms of one value differ by
// rounding only: each is at most 10 roundings (3 in the form P, 4 in the
// coefficient, the two products and the difference of from_forms, 3 in the
// test's own expected value) of terms no larger than 6 (coefficients up to
// 2 times forms up to 3 in size): 10 DBL_EPSILON of 6, 1.3e-14.
constexpr double kFormRounding = 10 * DBL_EPSILON * 6;

TEST(LayerResponse, HalfSpaceFormsAreTheGeneralOnes) {
  for (double nu : {0.0, 0.25, 0.5}) {
    for (double mz : {0.0, 0.3, 4.0}) {
      const double m = 2.0, z = mz / m, g = 3.0;
      const ModeValues general = mode_values({-2 * nu, -1, 0, 0}, {std::exp(-mz), mz, 0, 0}, m, nu, g);
      const ModeValues closed = half_space_mode_values(m, z, std::exp(-mz), nu, g);
      EXPECT_NEAR(general.sigma_z, closed.sigma_z, kFormRounding);
      EXPECT_NEAR(general.stress_sum, closed.stress_sum, kFormRounding);
      EXPECT_NEAR(general.u_z, closed.u_z, kFormRounding);
      // Boussinesq's transforms: sigma_z = -(1 + m z) e^{-mz}, tau = -m z e^{-mz}.
      EXPECT_NEAR(closed.sigma_z, -(1 + mz) * std::exp(-mz), kFormRounding);
      EXPECT_NEAR(closed.tau_rz, -mz * std::exp(-mz), kFormRounding);
    }
  }
}

}  // namespace
}  // namespace kestral::multilayer
