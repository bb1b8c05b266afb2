// The banded LU against a dense solve: scale-free residuals on random banded
// systems that need pivoting, the widest fill-in, order 1, and a singular
// system refused.
#include "multilayer/banded_lu.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cfloat>
#include <random>

namespace kestral::multilayer {
namespace {

TEST(BandedLu, SolvesRandomBandedSystemsToBackwardStability) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (std::size_t n : {1u, 2u, 6u, 14u, 78u}) {
    for (int trial = 0; trial < 20; ++trial) {
      BandMatrix band;
      band.reset(n, 5, 5);
      Eigen::MatrixXd dense = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
      for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = band.first_column(i); j <= std::min(n - 1, i + 5); ++j) {
          // A small diagonal forces row interchanges and the widest fill-in.
          const double v = i == j ? 1e-3 * value(random) : value(random);
          band.at(i, j) = v;
          dense(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j)) = v;
        }
      }
      std::vector<double> b(n);
      Eigen::VectorXd rhs(static_cast<Eigen::Index>(n));
      for (std::size_t i = 0; i < n; ++i) b[i] = rhs(static_cast<Eigen::Index>(i)) = value(random);
      ASSERT_TRUE(solve_banded(band, b));
      Eigen::VectorXd x(static_cast<Eigen::Index>(n));
      for (std::size_t i = 0; i < n; ++i) x(static_cast<Eigen::Index>(i)) = b[i];
      // ||b - A x|| / (||A|| ||x|| n eps): a small constant for a backward
      // stable elimination (growth is bounded by 2^5 with 5 subdiagonals).
      const double ratio = (rhs - dense * x).lpNorm<Eigen::Infinity>() /
                           (dense.lpNorm<Eigen::Infinity>() * x.lpNorm<Eigen::Infinity>() * double(n) * DBL_EPSILON);
      EXPECT_LT(ratio, 64.0) << n;
    }
  }
}

TEST(BandedLu, RefusesAnExactlySingularSystem) {
  BandMatrix band;
  band.reset(3, 1, 1);
  band.at(0, 0) = 1, band.at(0, 1) = 2;
  band.at(1, 0) = 2, band.at(1, 1) = 4;
  band.at(2, 2) = 1;
  std::vector<double> b{1, 2, 3};
  EXPECT_FALSE(solve_banded(band, b));
}

}  // namespace
}  // namespace kestral::multilayer
