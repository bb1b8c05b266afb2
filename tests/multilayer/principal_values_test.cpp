// Principal values: diagonal and rotated tensors with known eigenvalues, the
// order, and the horizontal maximum in closed form.
#include "multilayer/principal_values.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace kestral::multilayer {
namespace {

TEST(PrincipalValues, KnownEigenvaluesLargestFirst) {
  const Vector3 d = principal_values({-3, 5, 1, 0, 0, 0});
  EXPECT_EQ(d.x, 5);
  EXPECT_EQ(d.y, 1);
  EXPECT_EQ(d.z, -3);
  // diag(4, -2, 7) rotated by 30 degrees about z, then about x.
  const double c = std::cos(0.5235987755982988), s = std::sin(0.5235987755982988);
  // R = Rx Rz; T = R diag R^T, written out.
  const double lx = 4, ly = -2, lz = 7;
  SymmetricTensor t;
  t.xx = c * c * lx + s * s * ly;
  t.xy = c * s * (lx - ly) * c;
  t.xz = c * s * (lx - ly) * s;
  t.yy = c * c * (s * s * lx + c * c * ly) + s * s * lz;
  t.zz = s * s * (s * s * lx + c * c * ly) + c * c * lz;
  t.yz = c * s * (s * s * lx + c * c * ly - lz);
  const Vector3 p = principal_values(t);
  // Backward stable: within a few DBL_EPSILON of the norm (7).
  EXPECT_NEAR(p.x, 7, 16 * 7 * DBL_EPSILON);
  EXPECT_NEAR(p.y, 4, 16 * 7 * DBL_EPSILON);
  EXPECT_NEAR(p.z, -2, 16 * 7 * DBL_EPSILON);
  // An axis point of the engine: sigma_r = sigma_t.
  const Vector3 axis = principal_values({-0.2, -0.2, -0.5, 0, 0, 0});
  EXPECT_EQ(axis.x, -0.2);
  EXPECT_EQ(axis.z, -0.5);
}

TEST(PrincipalValues, HorizontalMaximum) {
  EXPECT_DOUBLE_EQ(horizontal_principal_max({1e-4, -3e-4, 9, 0, 5, 5}), 1e-4);
  EXPECT_DOUBLE_EQ(horizontal_principal_max({2, 2, 0, 1, 0, 0}), 3);
  EXPECT_DOUBLE_EQ(horizontal_principal_max({0, 0, 0, -1, 0, 0}), 1);
}

}  // namespace
}  // namespace kestral::multilayer
