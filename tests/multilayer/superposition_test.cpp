// Rotation and superposition of polar responses, Hooke's law (nu = 0.5
// included), the axis, and the widening of the error bounds.
#include "multilayer/superposition.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace kestral::multilayer {
namespace {

LoadIntegrals polar(double sum, double difference, double zz, double rz, double ur, double uz, double error) {
  LoadIntegrals li;
  li.value = {zz, sum, difference, rz, ur, uz};
  li.error = {error, error, error, error, error, error};
  return li;
}

// The rotation's rounding, for the polar values below (sum 4, difference 2,
// shear 0.5, displacement 0.2): each rotated component takes at most 4
// roundings (cos^2 - sin^2 or 2 cos sin, the halving, the product, the sum)
// of terms no larger than |sum| + |difference| + |shear| = 6.5, and the
// expected value the test writes a further 3 (c * c, s * s, the sum): 8
// DBL_EPSILON of 6.5, 1.2e-14, the same bound add_load adds to the error.
constexpr double kRotationRounding = 8 * DBL_EPSILON * 6.5;

// The principal values of a tensor of size 0.6 (the largest eigenvalue in
// size) from the eigen-solver: its own rounding, 16 DBL_EPSILON of the
// tensor's size, the bound finish_row adds to the error.
constexpr double kEigenRounding = 16 * DBL_EPSILON * 0.6;

TEST(Superposition, RotatesEachLoadIntoXY) {
  // sigma_r = 3, sigma_t = 1 at 30 degrees: sxx = 3 cos^2 + sin^2, ...
  const double t = 0.5235987755982988, c = std::cos(t), s = std::sin(t);
  Superposed total;
  add_load(total, polar(4.0, 2.0, -1.0, 0.5, 0.2, 0.7, 0.0), 2 * c, 2 * s, 2.0, 1.0, 1.0);
  EXPECT_NEAR(total.stress.xx, 3 * c * c + s * s, kRotationRounding);
  EXPECT_NEAR(total.stress.yy, 3 * s * s + c * c, kRotationRounding);
  EXPECT_NEAR(total.stress.xy, 2 * c * s, kRotationRounding);
  EXPECT_NEAR(total.stress.xz, 0.5 * c, kRotationRounding);
  EXPECT_NEAR(total.stress.yz, 0.5 * s, kRotationRounding);
  EXPECT_NEAR(total.displacement.x, 0.2 * c, kRotationRounding);
  EXPECT_NEAR(total.displacement.y, 0.2 * s, kRotationRounding);
  EXPECT_EQ(total.stress.zz, -1.0);
  // A second load mirrored about x = 0 cancels the shears in x and adds the rest.
  add_load(total, polar(4.0, 2.0, -1.0, 0.5, 0.2, 0.7, 0.0), -2 * c, 2 * s, 2.0, 1.0, 1.0);
  EXPECT_NEAR(total.stress.xz, 0.0, kRotationRounding);
  EXPECT_NEAR(total.stress.xy, 0.0, kRotationRounding);
  EXPECT_NEAR(total.stress.yz, s, kRotationRounding);
  EXPECT_NEAR(total.displacement.z, 1.4, kRotationRounding);
}

TEST(Superposition, AxisAndScalingByPressureAndRadius) {
  Superposed total;
  add_load(total, polar(-2.0, 0.0, -1.0, 0.0, 0.0, 0.3, 1e-9), 0.0, 0.0, 0.0, 0.5, 2.0);
  EXPECT_EQ(total.stress.xx, -1.0);  // q a sum / 2
  EXPECT_EQ(total.stress.yy, -1.0);
  EXPECT_EQ(total.stress.xy, 0.0);
  EXPECT_EQ(total.stress.zz, -1.0);
  EXPECT_EQ(total.displacement.x, 0.0);
  EXPECT_EQ(total.displacement.z, 0.3);
  // The quadrature's bound plus the rotation's rounding (8 DBL_EPSILON of the
  // parts, here |q a sum| = 2).
  EXPECT_DOUBLE_EQ(total.stress_error, 1e-9 + 8 * DBL_EPSILON * 2);
}

TEST(Superposition, HookeAtHalfAndTheUnitsAndBounds) {
  ScaledSection section;
  section.stress_unit = 0.5;
  section.modulus_unit = 100.0;
  section.length_unit = 10.0;
  ScaledLayer layer;
  layer.modulus = 4.0;
  layer.poisson = 0.5;
  Superposed total;
  total.stress = {-1.0, -1.0, -1.0, 0.2, 0.0, 0.0};  // hydrostatic plus a shear
  total.displacement = {0.0, 0.0, 1.0};
  total.stress_error = 1e-9;
  total.displacement_error = 2e-9;
  const Result r = finish_row(total, layer, section);
  // No volume change at nu = 0.5 under any stress: exx + eyy + ezz = 0.
  EXPECT_NEAR(r.strain.xx + r.strain.yy + r.strain.zz, 0.0, 1e-18);
  EXPECT_NEAR(r.strain.xy, 1.5 * 0.2 / 4.0 * 0.5 / 100.0, 1e-18);
  EXPECT_EQ(r.stress.zz, -0.5);
  EXPECT_EQ(r.displacement.z, 0.5 / 100.0 * 10.0);
  // Errors in the caller's units, widened 3 times to cover the principal values.
  // (plus the eigen-solver's 16 DBL_EPSILON of the tensor's size)
  EXPECT_NEAR(r.stress_error, 3e-9 * 0.5, 16 * 2.3e-16 * 0.6);
  EXPECT_NEAR(r.displacement_error, 2e-9 * 0.05, 1e-20);
  EXPECT_NEAR(r.strain_error, 3 * 3e-9 / 4.0 * 0.005, 16 * 2.3e-16 * 0.005);
  EXPECT_NEAR(r.principal_stress.x, -0.5 + 0.1, kEigenRounding);
  EXPECT_NEAR(r.principal_stress.y, -0.5, kEigenRounding);
  EXPECT_NEAR(r.principal_stress.z, -0.5 - 0.1, kEigenRounding);
}

}  // namespace
}  // namespace kestral::multilayer
