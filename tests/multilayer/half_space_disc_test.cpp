// The half-space under a circular load as the engine adds it back near the
// surface (and as the whole answer for a one-layer section): Boussinesq on the
// axis at any depth, the surface inside, on and outside the edge, and off the
// axis against the point-load solution integrated over the circle.
#include "multilayer/half_space_disc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/multilayer/boussinesq.h"

namespace kestral::multilayer {
namespace {

constexpr double kE = 200.0;
constexpr double kA = 1.3;
constexpr double kQ = 0.7;

struct Polar {
  double sigma_z, sigma_r, sigma_t, tau_rz, u_r, u_z;
};

Polar polar(double r, double z, double nu) {
  const double g = kE / (2 * (1 + nu));
  const ModeValues v = half_space_disc_response(r, z, kA, nu, g);
  const double qa = kQ * kA;
  return {qa * v.sigma_z, qa * (v.stress_sum + v.stress_difference) / 2, qa * (v.stress_sum - v.stress_difference) / 2,
          qa * v.tau_rz, qa * v.u_r, qa * v.u_z};
}

// The quadrature over the angle resolves everything to rounding: 1e-14 of q
// (and of q a / E) leaves a margin of about ten over the measured 2e-15.
constexpr double kTight = 1e-14;

TEST(HalfSpaceDisc, AxisAtAnyDepthIsBoussinesq) {
  for (double nu : {0.0, 0.3, 0.5}) {
    for (double z : {0.0, 1e-8, 1e-3, 0.1, 1.0, 3.0, 10.0, 100.0, 1e4}) {
      const auto b = testing::boussinesq_axis(kQ, kA, z * kA, kE, nu);
      const Polar p = polar(0.0, z * kA, nu);
      EXPECT_NEAR(p.sigma_z, b.sigma_z, kTight * kQ) << z;
      EXPECT_NEAR(p.sigma_r, b.sigma_r, kTight * kQ) << z;
      EXPECT_NEAR(p.sigma_t, b.sigma_r, kTight * kQ) << z;
      EXPECT_EQ(p.tau_rz, 0.0);
      EXPECT_EQ(p.u_r, 0.0);
      EXPECT_NEAR(p.u_z, b.u_z, kTight * kQ * kA / kE) << z;
    }
  }
}

TEST(HalfSpaceDisc, SurfaceInsideOnAndOutsideTheEdge) {
  const double nu = 0.35;
  const double u_scale = kQ * kA / kE;
  for (double rho : {0.01, 0.5, 0.9, 1 - 1e-6, 1 - 1e-12}) {
    const Polar p = polar(rho * kA, 0.0, nu);
    EXPECT_NEAR(p.sigma_z, -kQ, kTight * kQ) << rho;
    EXPECT_NEAR(p.sigma_r + p.sigma_t, -(1 + 2 * nu) * kQ, kTight * kQ) << rho;
    EXPECT_NEAR(p.u_r, -(1 - 2 * nu) * (1 + nu) * kQ * rho * kA / (2 * kE), kTight * u_scale) << rho;
  }
  for (double rho : {1 + 1e-12, 1 + 1e-6, 1.1, 2.0, 10.0, 100.0}) {
    const Polar p = polar(rho * kA, 0.0, nu);
    const double hoop = (1 - 2 * nu) * kQ / (2 * rho * rho);
    EXPECT_NEAR(p.sigma_z, 0.0, kTight * kQ) << rho;
    EXPECT_NEAR(p.sigma_r, hoop, kTight * kQ) << rho;
    EXPECT_NEAR(p.sigma_t, -hoop, kTight * kQ) << rho;
    EXPECT_NEAR(p.u_r, -(1 - 2 * nu) * (1 + nu) * kQ * kA / (2 * kE * rho), kTight * u_scale) << rho;
  }
  // On the edge: the mean of the two sides, and the classical edge deflection.
  const Polar edge = polar(kA, 0.0, nu);
  EXPECT_NEAR(edge.sigma_z, -kQ / 2, kTight * kQ);
  EXPECT_NEAR(edge.sigma_r, (-(1 + 2 * nu) * kQ / 2 + (1 - 2 * nu) * kQ / 2) / 2, kTight * kQ);
  EXPECT_NEAR(edge.u_z, 4 * (1 - nu * nu) * kQ * kA / (std::numbers::pi * kE), kTight * u_scale);
  EXPECT_NEAR(polar(0, 0, nu).u_z, 2 * (1 - nu * nu) * kQ * kA / kE, kTight * u_scale);
}

TEST(HalfSpaceDisc, OffTheAxisIsThePointLoadSolutionOverTheCircle) {
  for (double nu : {0.2, 0.5}) {
    for (const auto& [x, y, z] : {std::array<double, 3>{0.5, 0, 0.5}, {1.0, 0.0, 0.6}, {1.2, 0.3, 1.0},
                                   {3.0, 0, 2.0}, {0.3, 0.2, 5.0}, {20.0, 5.0, 0.5}}) {
      const auto b = testing::disc_by_point_loads(kQ, kA, x * kA, y * kA, z * kA, kE, nu);
      const double r = std::hypot(x, y) * kA;
      const Polar p = polar(r, z * kA, nu);
      const double c = x * kA / r, s = y * kA / r;
      // The point-load quadrature is good to 1e-11 of q at these depths.
      const double bound = 1e-10;
      SCOPED_TRACE(std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z));
      EXPECT_NEAR(p.sigma_z, b.sigma_z, bound * kQ);
      EXPECT_NEAR(p.tau_rz * c, b.tau_xz, bound * kQ);
      EXPECT_NEAR(p.tau_rz * s, b.tau_yz, bound * kQ);
      EXPECT_NEAR(p.sigma_r + p.sigma_t, b.horizontal_sum, bound * kQ);
      EXPECT_NEAR(p.u_r * c, b.u_x, bound * kQ * kA / kE);
      EXPECT_NEAR(p.u_z, b.u_z, bound * kQ * kA / kE);
    }
  }
}

}  // namespace
}  // namespace kestral::multilayer
