// The solution-only elimination against MATIN itself: the same pivots and
// the same operations must give the same solution bit for bit, on dense
// systems, on systems with the block-banded zero pattern of the layer
// system, and on systems full of equal magnitudes, where the pivot choice
// rests on the order of the search alone.
#include "layered/gauss_jordan_solution.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "layered/matin.h"

namespace kestral {
namespace {

constexpr int kLd = kMatinCapacity;

struct System {
  int n;
  std::vector<double> matrix = std::vector<double>(static_cast<std::size_t>(kLd) * 18, 0.0);
  std::vector<double> rhs = std::vector<double>(kLd, 0.0);
  double& at(int i, int j) { return matrix[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * kLd]; }
};

// MATIN takes the number of layers: orders 4*NL - 2 only.
std::vector<double> solve_with_matin(System s) {
  const int NL = (s.n + 2) / 4;
  const int one = 1;
  MATIN<double>(NL, std::span<double>(s.matrix), kLd, std::span<double>(s.rhs), one);
  return {s.rhs.begin(), s.rhs.begin() + s.n};
}

std::vector<double> solve_with_solution_only(System s) {
  solve_like_matin(s.n, std::span<double>(s.matrix), kLd, std::span<double>(s.rhs));
  return {s.rhs.begin(), s.rhs.begin() + s.n};
}

void expect_bitwise_equal(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    // Equal values, and equal bits unless both are zeros (the sign of a zero
    // may differ where MATIN subtracts a zero product that is skipped here).
    if (want[i] == 0.0) {
      EXPECT_EQ(got[i], 0.0) << i;
    } else {
      EXPECT_EQ(std::memcmp(&got[i], &want[i], sizeof(double)), 0)
          << "entry " << i << ": " << got[i] << " against " << want[i];
    }
  }
}

TEST(SolveLikeMatin, DenseRandomSystemsOfEveryLayerCount) {
  std::mt19937 generator(20261208);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int NL = 1; NL <= 5; ++NL) {
    for (int trial = 0; trial < 200; ++trial) {
      System s{4 * NL - 2};
      for (int i = 0; i < s.n; ++i) {
        for (int j = 0; j < s.n; ++j) s.at(i, j) = std::ldexp(value(generator), exponent(generator));
        s.rhs[i] = value(generator);
      }
      expect_bitwise_equal(solve_with_solution_only(s), solve_with_matin(s));
    }
  }
}

TEST(SolveLikeMatin, BlockBandedSystemsLikeTheLayerSystem) {
  // Two surface rows on the first four columns; four rows per interface on
  // the eight columns of the layers above and below (two for the half-space).
  std::mt19937 generator(7);
  std::uniform_real_distribution<double> value(-2.0, 2.0);
  std::uniform_int_distribution<int> exponent(-60, 4);
  for (int NL = 2; NL <= 5; ++NL) {
    for (int trial = 0; trial < 300; ++trial) {
      System s{4 * NL - 2};
      for (int j = 0; j < 4; ++j) {
        s.at(0, j) = value(generator);
        s.at(1, j) = value(generator);
      }
      s.rhs[0] = 1.0;
      for (int i = 1; i <= NL - 1; ++i) {
        const double decay = std::ldexp(1.0, exponent(generator));
        const int last_column = std::min(4 * i + 4, s.n);
        for (int row = 4 * i - 2; row <= 4 * i + 1; ++row) {
          for (int column = 4 * i - 4; column < last_column; ++column) {
            // B and D columns carry the decay factor.
            s.at(row, column) = value(generator) * ((column % 2 == 1) ? decay : 1.0);
          }
        }
      }
      expect_bitwise_equal(solve_with_solution_only(s), solve_with_matin(s));
    }
  }
}

TEST(SolveLikeMatin, EqualMagnitudesTakeMatinsPivots) {
  // Entries from {-2, -1, 0, 1, 2}: many ties in every search, so any other
  // order of search or rule of tie would give other pivots and other
  // roundings.
  std::mt19937 generator(99);
  std::uniform_int_distribution<int> small(-2, 2);
  int solved = 0;
  for (int NL = 1; NL <= 5; ++NL) {
    for (int trial = 0; trial < 400; ++trial) {
      System s{4 * NL - 2};
      for (int i = 0; i < s.n; ++i) {
        for (int j = 0; j < s.n; ++j) s.at(i, j) = small(generator) / 3.0;
        s.rhs[i] = small(generator) / 7.0;
      }
      expect_bitwise_equal(solve_with_solution_only(s), solve_with_matin(s));
      ++solved;
    }
  }
  EXPECT_EQ(solved, 2000);
}

TEST(SolveLikeMatin, LargerOrdersAndBadArgumentsAreSafe) {
  // The largest order provided for solves like MATIN; one more (the
  // layer system never reaches either) leaves everything as it was.
  std::mt19937 generator(3);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int n : {kSolveLikeMatinMaxOrder - 2, kSolveLikeMatinMaxOrder + 2}) {
    System s{n};
    s.matrix.assign(static_cast<std::size_t>(kLd) * static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) s.at(i, j) = value(generator);
      s.rhs[i] = value(generator);
    }
    if (n <= kSolveLikeMatinMaxOrder) {
      expect_bitwise_equal(solve_with_solution_only(s), solve_with_matin(s));
    } else {
      EXPECT_EQ(solve_with_solution_only(s),
                std::vector<double>(s.rhs.begin(), s.rhs.begin() + n));
    }
  }

  // Order 0, an order beyond the leading dimension, and too short a
  // right-hand side leave everything as it was.
  std::vector<double> matrix(4, 1.0);
  std::vector<double> rhs(2, 5.0);
  solve_like_matin(0, std::span<double>(matrix), 2, std::span<double>(rhs));
  solve_like_matin(3, std::span<double>(matrix), 2, std::span<double>(rhs));
  solve_like_matin(2, std::span<double>(matrix), 2, std::span<double>(rhs).first(1));
  EXPECT_EQ(rhs, (std::vector<double>{5.0, 5.0}));
}

}  // namespace
}  // namespace kestral
