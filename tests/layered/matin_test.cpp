// Tests of MATIN: closed-form small systems, exact layouts (leading dimension,
// untouched padding), every early return, and LAPACK-style scale-free
// residuals on a random system in both precisions.
#include "layered/matin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <span>
#include <vector>

namespace kestral {
namespace {

// Each entry of the 2x2 results passes through at most three roundings
// (division by the pivot, one product, one difference): 2 eps of the entry's
// scale covers them.
constexpr float kTwoByTwoTolerance = 2.0f * FLT_EPSILON;

// LAPACK's default threshold for its scale-free test ratios (xGET02, xGET03).
constexpr double kLapackThreshold = 30.0;

constexpr float kSentinel = -777.0f;

std::size_t at(int row, int column, int ld) {  // 1-based, column-major
  return static_cast<std::size_t>(row - 1) + static_cast<std::size_t>(column - 1) * ld;
}

TEST(MatinSmall, SolvesTwoByTwoAndFormsItsInverse) {
  // Rows (0, 2) and (3, 1), stored column by column; right-hand side (4, 5).
  std::array<float, 4> a{0.0f, 3.0f, 2.0f, 1.0f};
  std::array<float, 2> b{4.0f, 5.0f};
  MATIN<float>(1, a, 2, b, 1);
  EXPECT_NEAR(b[0], 1.0f, kTwoByTwoTolerance);
  EXPECT_NEAR(b[1], 2.0f, 2.0f * kTwoByTwoTolerance);
  EXPECT_NEAR(a[at(1, 1, 2)], -1.0f / 6.0f, kTwoByTwoTolerance / 6.0f);
  EXPECT_NEAR(a[at(1, 2, 2)], 1.0f / 3.0f, kTwoByTwoTolerance / 3.0f);
  EXPECT_NEAR(a[at(2, 1, 2)], 0.5f, kTwoByTwoTolerance / 2.0f);
  EXPECT_EQ(a[at(2, 2, 2)], 0.0f);
}

TEST(MatinSmall, NoRightHandSideFormsOnlyTheInverse) {
  std::array<float, 4> a{0.0f, 3.0f, 2.0f, 1.0f};
  MATIN<float>(1, a, 2, std::span<float>(), 0);
  EXPECT_NEAR(a[at(1, 1, 2)], -1.0f / 6.0f, kTwoByTwoTolerance / 6.0f);
  EXPECT_NEAR(a[at(1, 2, 2)], 1.0f / 3.0f, kTwoByTwoTolerance / 3.0f);
  EXPECT_NEAR(a[at(2, 1, 2)], 0.5f, kTwoByTwoTolerance / 2.0f);
  EXPECT_EQ(a[at(2, 2, 2)], 0.0f);
}

TEST(MatinSmall, IdentityAndRightHandSidesComeBackUnchanged) {
  // Order 6 in storage of leading dimension 8: rows 7 and 8 and columns 7
  // and 8 are padding that must not be touched.
  constexpr int kLd = 8;
  std::vector<float> a(kLd * kLd, kSentinel);
  for (int j = 1; j <= 6; ++j) {
    for (int i = 1; i <= 6; ++i) a[at(i, j, kLd)] = i == j ? 1.0f : 0.0f;
  }
  std::vector<float> b(kLd * 2, kSentinel);
  for (int i = 1; i <= 6; ++i) {
    b[at(i, 1, kLd)] = 0.5f * static_cast<float>(i);
    b[at(i, 2, kLd)] = -3.0f * static_cast<float>(i);
  }
  const std::vector<float> a_given = a;
  const std::vector<float> b_given = b;
  MATIN<float>(2, a, kLd, b, 2);
  EXPECT_EQ(a, a_given);
  EXPECT_EQ(b, b_given);
}

TEST(MatinSmall, EqualMagnitudesTakeTheFirstPivotAtOneOne) {
  // All elements of magnitude 1 and rank 1: the first pivot is the first
  // element met, (1,1); its elimination leaves nothing non-zero, so the
  // call stops there. Any other first pivot leaves a different state:
  // (1,2) gives b = (3, 2), (2,1) gives (5, -3), (2,2) gives (-3, 5).
  std::array<float, 4> a{1.0f, 1.0f, 1.0f, 1.0f};
  std::array<float, 2> b{2.0f, 5.0f};
  MATIN<float>(1, a, 2, b, 1);
  EXPECT_EQ(b, (std::array<float, 2>{2.0f, 3.0f}));
  // Row 1 normalised (1/p = 1 in place of the pivot); row 2 reduced to
  // (-1, 0): the inverse's column 1 and the zero row.
  EXPECT_EQ(a, (std::array<float, 4>{1.0f, -1.0f, 1.0f, 0.0f}));
}

TEST(MatinEarlyReturn, LeavesEverythingUntouched) {
  constexpr int kLd = 354;
  std::vector<float> a(kLd * kLd, kSentinel);
  std::vector<float> b(kLd, kSentinel);
  const std::vector<float> a_given = a;
  const std::vector<float> b_given = b;
  const auto expect_untouched = [&](const char* what) {
    EXPECT_EQ(a, a_given) << what;
    EXPECT_EQ(b, b_given) << what;
  };

  MATIN<float>(0, a, kLd, b, 1);
  expect_untouched("NL = 0");
  MATIN<float>(-3, a, kLd, b, 1);
  expect_untouched("NL < 0");
  MATIN<float>(89, a, kLd, b, 1);  // order 354 exceeds the 350 of bookkeeping
  expect_untouched("order above capacity");
  MATIN<float>(INT_MAX, a, kLd, b, 1);
  expect_untouched("NL = INT_MAX");
  MATIN<float>(2, a, 5, b, 1);  // order 6 > leading dimension 5
  expect_untouched("order above leading dimension");
  MATIN<float>(2, a, 6, b, -1);
  expect_untouched("negative M");
  // Order 6 with leading dimension 6 needs 36 elements of A and, for two
  // right-hand sides, 12 of B.
  MATIN<float>(2, std::span<float>(a).first(35), 6, b, 1);
  expect_untouched("A too short");
  MATIN<float>(2, a, 6, std::span<float>(b).first(11), 2);
  expect_untouched("B too short");
}

TEST(MatinSingular, StopsWithoutDividingByZero) {
  constexpr int kLd = 6;
  {
    // Zero matrix: the first search finds nothing; nothing changes.
    std::vector<float> a(kLd * kLd, 0.0f);
    std::vector<float> b(kLd, 1.0f);
    MATIN<float>(2, a, kLd, b, 1);
    EXPECT_TRUE(std::all_of(a.begin(), a.end(), [](float x) { return x == 0.0f; }));
    EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](float x) { return x == 1.0f; }));
  }
  {
    // All ones (rank 1): one step, then only exact zeros remain.
    std::vector<float> a(kLd * kLd, 1.0f);
    std::vector<float> b{1, 2, 3, 4, 5, 6};
    MATIN<float>(2, a, kLd, b, 1);
    EXPECT_EQ(b, (std::vector<float>{1, 1, 2, 3, 4, 5}));
    for (int i = 2; i <= 6; ++i) {
      EXPECT_EQ(a[at(i, 1, kLd)], -1.0f);
      for (int j = 2; j <= 6; ++j) EXPECT_EQ(a[at(i, j, kLd)], 0.0f);
    }
  }
}

TEST(MatinSingular, ZeroRowInALargeSystemEndsFinite) {
  constexpr int kN = 18;
  std::mt19937 generator(20240601u);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<float> a(kN * kN);
  for (float& x : a) x = static_cast<float>(uniform(generator));
  for (int j = 1; j <= kN; ++j) a[at(7, j, kN)] = 0.0f;
  std::vector<float> b(kN, 1.0f);
  MATIN<float>(5, a, kN, b, 1);
  EXPECT_TRUE(std::all_of(a.begin(), a.end(), [](float x) { return std::isfinite(x); }));
  EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](float x) { return std::isfinite(x); }));
}

template <typename Real>
class MatinRandom : public ::testing::Test {};
using RealTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(MatinRandom, RealTypes);

// A random 18 x 18 system (order of five layers), two right-hand sides,
// leading dimension 20. It is kept well conditioned by adding 4 along a
// shifted diagonal, (i, i + 7 mod 18): a single 18-cycle, so the pivots lie
// off the diagonal, every step exchanges rows, and the final column
// exchanges only restore the inverse when undone in descending step order.
// Residuals are formed in long double from the stored values.
TYPED_TEST(MatinRandom, ScaleFreeResidualsOfSolutionAndInverse) {
  using Real = TypeParam;
  constexpr int kN = 18;
  constexpr int kLd = 20;
  constexpr int kM = 2;
  constexpr long double kEps = std::numeric_limits<Real>::epsilon();
  std::mt19937 generator(12345u);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);

  std::vector<Real> a(kLd * kLd, static_cast<Real>(kSentinel));
  std::vector<Real> b(kLd * kM, static_cast<Real>(kSentinel));
  for (int j = 1; j <= kN; ++j) {
    for (int i = 1; i <= kN; ++i) {
      const bool shifted_diagonal = j - 1 == (i - 1 + 7) % kN;
      a[at(i, j, kLd)] = static_cast<Real>(uniform(generator) + (shifted_diagonal ? 4.0 : 0.0));
    }
  }
  for (int j = 1; j <= kM; ++j) {
    for (int i = 1; i <= kN; ++i) b[at(i, j, kLd)] = static_cast<Real>(uniform(generator));
  }
  const std::vector<Real> a0 = a;
  const std::vector<Real> b0 = b;
  MATIN<Real>(5, a, kLd, b, kM);

  // Infinity norms of the leading blocks.
  const auto norm_inf = [&](const std::vector<Real>& x, int columns) {
    long double worst = 0;
    for (int i = 1; i <= kN; ++i) {
      long double sum = 0;
      for (int j = 1; j <= columns; ++j) {
        sum += std::fabs(static_cast<long double>(x[at(i, j, kLd)]));
      }
      worst = std::max(worst, sum);
    }
    return worst;
  };
  const long double norm_a = norm_inf(a0, kN);
  const long double norm_inverse = norm_inf(a, kN);

  for (int rhs = 1; rhs <= kM; ++rhs) {
    long double residual = 0;
    long double norm_x = 0;
    for (int i = 1; i <= kN; ++i) {
      long double r = b0[at(i, rhs, kLd)];
      for (int j = 1; j <= kN; ++j) {
        r -= static_cast<long double>(a0[at(i, j, kLd)]) * b[at(j, rhs, kLd)];
      }
      residual = std::max(residual, std::fabs(r));
      norm_x = std::max(norm_x, std::fabs(static_cast<long double>(b[at(i, rhs, kLd)])));
    }
    const long double ratio = residual / (norm_a * norm_x * kEps);
    EXPECT_LE(ratio, kLapackThreshold) << "right-hand side " << rhs;
    this->RecordProperty("solve_ratio_" + std::to_string(rhs),
                         std::to_string(static_cast<double>(ratio)));
  }

  // || inv(A) * A - I || / (n ||A|| ||inv(A)|| eps)
  long double worst_row = 0;
  for (int i = 1; i <= kN; ++i) {
    long double row_sum = 0;
    for (int j = 1; j <= kN; ++j) {
      long double s = i == j ? -1.0L : 0.0L;
      for (int k = 1; k <= kN; ++k) {
        s += static_cast<long double>(a[at(i, k, kLd)]) * a0[at(k, j, kLd)];
      }
      row_sum += std::fabs(s);
    }
    worst_row = std::max(worst_row, row_sum);
  }
  const long double inverse_ratio = worst_row / (kN * norm_a * norm_inverse * kEps);
  EXPECT_LE(inverse_ratio, kLapackThreshold);
  this->RecordProperty("inverse_ratio", std::to_string(static_cast<double>(inverse_ratio)));

  // Padding rows and columns untouched.
  for (int j = 1; j <= kLd; ++j) {
    for (int i = 1; i <= kLd; ++i) {
      if (i <= kN && j <= kN) continue;
      EXPECT_EQ(a[at(i, j, kLd)], static_cast<Real>(kSentinel)) << i << "," << j;
    }
  }
  for (int j = 1; j <= kM; ++j) {
    for (int i = kN + 1; i <= kLd; ++i) EXPECT_EQ(b[at(i, j, kLd)], static_cast<Real>(kSentinel));
  }
}

}  // namespace
}  // namespace kestral
