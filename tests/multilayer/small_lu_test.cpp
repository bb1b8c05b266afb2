// The small LU against a dense solve: scale-free residuals on random systems
// that need pivoting, several right-hand sides, order 1, and a singular
// system refused without Inf or NaN.
#include "multilayer/small_lu.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cfloat>
#include <cmath>
#include <random>

namespace kestral::multilayer {
namespace {

template <int N>
void expect_backward_stable(std::mt19937& random) {
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    Eigen::Matrix<double, N, N> a;
    Eigen::Matrix<double, N, 2> b;
    for (int i = 0; i < N; ++i) {
      // A small diagonal forces row interchanges at every step.
      for (int j = 0; j < N; ++j) a(i, j) = i == j ? 1e-3 * value(random) : value(random);
      b(i, 0) = value(random);
      b(i, 1) = value(random);
    }
    SmallLu<N> lu;
    ASSERT_TRUE(lu.factor(a));
    const Eigen::Matrix<double, N, 2> x = lu.template solve<2>(b);
    // ||b - A x|| / (||A|| ||x|| N eps) per column: a small constant for a
    // backward stable elimination (growth at most 2^(N-1) = 8).
    for (int c = 0; c < 2; ++c) {
      const double ratio = (b.col(c) - a * x.col(c)).template lpNorm<Eigen::Infinity>() /
                           (a.template lpNorm<Eigen::Infinity>() * x.col(c).template lpNorm<Eigen::Infinity>() * N *
                            DBL_EPSILON);
      EXPECT_LT(ratio, 16.0) << N;
    }
  }
}

TEST(SmallLu, SolvesRandomSystemsToBackwardStability) {
  std::mt19937 random(7);
  expect_backward_stable<1>(random);
  expect_backward_stable<2>(random);
  expect_backward_stable<4>(random);
}

TEST(SmallLu, RefusesAnExactlySingularSystemWithFiniteOutput) {
  Eigen::Matrix3d a;
  a << 1, 2, 0, 2, 4, 0, 0, 0, 1;
  SmallLu<3> lu;
  EXPECT_FALSE(lu.factor(a));
  const Eigen::Vector3d x = lu.solve<1>(Eigen::Vector3d(1, 2, 3));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(x(i)));
  EXPECT_EQ(x(2), 3.0);
}

}  // namespace
}  // namespace kestral::multilayer
