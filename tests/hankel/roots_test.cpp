#include "hankel/roots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace kestral {
namespace {

RootList roots_of(float rho, int kind) {
  RootList list;
  list.fill(-1.0f);
  ROOTS(rho, list, kind);
  return list;
}

// Entry k of a list, counted from 1 as the design counts it.
float entry(const RootList& list, int k) { return list[k - 1]; }

// ---------------------------------------------------------------- BESROT --

// The zero of J_order nearest z, by Newton's method on libstdc++'s double
// Bessel functions (J0' = -J1, J1' = J0 - J1/x).
double true_zero_near(int order, double z) {
  for (int step = 0; step < 4; ++step) {
    const double j = std::cyl_bessel_j(order, z);
    const double slope = (order == 0) ? -std::cyl_bessel_j(1, z)
                                      : std::cyl_bessel_j(0, z) - std::cyl_bessel_j(1, z) / z;
    z -= j / slope;
  }
  return z;
}

double ulp(float z) { return std::nextafter(z, FLT_MAX) - z; }

TEST(BesrotTest, StatedEntries) {
  ZeroTable z0;
  ZeroTable z1;
  z0.fill(-1.0f);
  z1.fill(-1.0f);
  BESROT(z0, z1);
  // Single roundings of (k - 0.25)*pi and (k - 0.75)*pi: exact floats.
  EXPECT_EQ(z0[31 - 1], 96.603973f);
  EXPECT_EQ(z0[80 - 1], 250.54202f);
  EXPECT_EQ(z1[6 - 1], 16.493362f);
  EXPECT_EQ(z1[80 - 1], 248.97122f);
  // Tabled constants.
  EXPECT_EQ(z0[1 - 1], 2.4048257f);
  EXPECT_EQ(z0[30 - 1], 93.463722f);
  EXPECT_EQ(z1[1 - 1], 0.0f);
  EXPECT_EQ(z1[2 - 1], 3.832f);
  EXPECT_EQ(z1[5 - 1], 13.324f);
}

TEST(BesrotTest, EntriesLieWhereTheirMethodPutsThem) {
  ZeroTable z0;
  ZeroTable z1;
  BESROT(z0, z1);
  // A float holding pi is 8.7e-8 off; (k - shift)*pi carries k times that.
  const double pi_offset = std::fabs(double{3.1415927f} - std::numbers::pi);
  for (int k = 1; k <= kZeroTableSize; ++k) {
    const float z = z0[k - 1];
    const double offset = true_zero_near(0, z) - double{z};
    if (k <= 30) {
      // Tabled to eight digits and rounded to float: within one ulp.
      EXPECT_LE(std::fabs(offset), ulp(z)) << "z0(" << k << ")";
    } else {
      // McMahon's leading term misses the zero by his next two terms,
      // 1/(8b) - 31/(384 b^3) with b = (k - 1/4) pi; the stored value adds
      // half an ulp of rounding and the error of the float pi.
      const double beta = (k - 0.25) * std::numbers::pi;
      const double mcmahon = 1.0 / (8.0 * beta) - 31.0 / (384.0 * beta * beta * beta);
      EXPECT_NEAR(offset, mcmahon, 0.5 * ulp(z) + (k - 0.25) * pi_offset) << "z0(" << k << ")";
    }
  }
  EXPECT_EQ(z1[0], 0.0f);
  for (int k = 2; k <= kZeroTableSize; ++k) {
    const float z = z1[k - 1];
    const double offset = true_zero_near(1, z) - double{z};
    if (k <= 5) {
      // Three decimals.
      EXPECT_LE(std::fabs(offset), 0.5e-3) << "z1(" << k << ")";
    } else {
      // The (k-1)-th positive zero: b = (k - 3/4) pi, terms -3/(8b) + 3/(128 b^3).
      const double beta = (k - 0.75) * std::numbers::pi;
      const double mcmahon = -3.0 / (8.0 * beta) + 3.0 / (128.0 * beta * beta * beta);
      EXPECT_NEAR(offset, mcmahon, 0.5 * ulp(z) + (k - 0.75) * pi_offset) << "z1(" << k << ")";
    }
  }
}

// ----------------------------------------------------------------- ROOTS --

// Every value below is a tabled zero, a single rounding of (k - s)*pi, or
// such a value halved or doubled (exact), so the comparisons are exact.

TEST(RootsTest, RatioOneInterleavesBothTables) {
  const RootList kind1 = roots_of(1.0f, 1);
  const std::vector<float> begin1 = {0.0f,      2.4048257f, 3.832f,     5.5200782f,
                                     7.016f,    8.6537275f, 10.173f,    11.791534f,
                                     13.324f,   14.930918f, 16.493362f, 18.071064f};
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(entry(kind1, k), begin1[k - 1]) << "entry " << k;
  EXPECT_EQ(entry(kind1, 158), 247.40042f);
  EXPECT_EQ(entry(kind1, 159), 248.97122f);
  EXPECT_EQ(entry(kind1, 160), 250.54202f);

  // Kind 2 holds every positive J1 zero twice, once for J1(m) and once for
  // J1(rho*m), and ends with the end of kind 1.
  const RootList kind2 = roots_of(1.0f, 2);
  const std::vector<float> begin2 = {0.0f,    3.832f,  3.832f,     7.016f,
                                     7.016f,  10.173f, 10.173f,    13.324f,
                                     13.324f, 16.493362f, 16.493362f, 19.634954f};
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(entry(kind2, k), begin2[k - 1]) << "entry " << k;
  EXPECT_EQ(entry(kind2, 158), 248.97122f);
  EXPECT_EQ(entry(kind2, 159), 248.97122f);
  EXPECT_EQ(entry(kind2, 160), 250.54202f);
}

TEST(RootsTest, RatioTwoHalvesThePointZeros) {
  const RootList kind1 = roots_of(2.0f, 1);
  const std::vector<float> begin1 = {0.0f,      1.2024128f, 2.760039f, 3.832f,
                                     4.326864f, 5.895767f,  7.016f};
  for (int k = 1; k <= 7; ++k) EXPECT_EQ(entry(kind1, k), begin1[k - 1]) << "entry " << k;
  EXPECT_EQ(entry(kind1, 160), 248.97122f);

  const RootList kind2 = roots_of(2.0f, 2);
  const std::vector<float> begin2 = {0.0f, 1.916f, 3.508f, 3.832f, 5.0865f, 6.662f, 7.016f};
  for (int k = 1; k <= 7; ++k) EXPECT_EQ(entry(kind2, k), begin2[k - 1]) << "entry " << k;
  EXPECT_EQ(entry(kind2, 158), 245.82964f);
  EXPECT_EQ(entry(kind2, 159), 248.97122f);  // z1(80), unscaled
  EXPECT_EQ(entry(kind2, 160), 248.97122f);  // the end of kind 1
}

TEST(RootsTest, RatioHalfDoublesThePointZeros) {
  const RootList kind1 = roots_of(0.5f, 1);
  const RootList kind2 = roots_of(0.5f, 2);
  EXPECT_EQ(entry(kind1, 160), 501.08405f);  // z0(80)/0.5
  EXPECT_EQ(entry(kind2, 160), 501.08405f);  // carried over from kind 1
  EXPECT_EQ(entry(kind2, 159), 497.94244f);  // z1(80)/0.5, kind 2's own largest
}

TEST(RootsTest, RatioZeroGivesTheListsOfRatioOne) {
  EXPECT_EQ(roots_of(0.0f, 1), roots_of(1.0f, 1));
  EXPECT_EQ(roots_of(0.0f, 2), roots_of(1.0f, 2));
  EXPECT_EQ(roots_of(-0.0f, 1), roots_of(1.0f, 1));  // -0 compares equal to 0
}

TEST(RootsTest, AnyKindOtherThanOneGathersJ1) {
  const RootList kind2 = roots_of(1.7f, 2);
  EXPECT_EQ(roots_of(1.7f, 0), kind2);
  EXPECT_EQ(roots_of(1.7f, -3), kind2);
  EXPECT_EQ(roots_of(1.7f, INT_MAX), kind2);
}

TEST(RootsTest, ListsHoldExactlyTheGatheredZeros) {
  ZeroTable z0;
  ZeroTable z1;
  BESROT(z0, z1);
  for (const float rho : {0.3f, 1.0063f, 4.1f}) {
    std::vector<float> j0_point;
    std::vector<float> j1_point;
    std::vector<float> expected1(z1.begin(), z1.end());
    std::vector<float> expected2(z1.begin(), z1.end());
    for (int k = 1; k <= kZeroTableSize; ++k) expected1.push_back(z0[k - 1] / rho);
    for (int k = 2; k <= kZeroTableSize; ++k) expected2.push_back(z1[k - 1] / rho);
    expected2.push_back(std::max(z0[kZeroTableSize - 1] / rho, z1[kZeroTableSize - 1]));
    std::sort(expected1.begin(), expected1.end());
    std::sort(expected2.begin(), expected2.end());
    const RootList kind1 = roots_of(rho, 1);
    const RootList kind2 = roots_of(rho, 2);
    EXPECT_TRUE(std::equal(kind1.begin(), kind1.end(), expected1.begin())) << "rho = " << rho;
    EXPECT_TRUE(std::equal(kind2.begin(), kind2.end(), expected2.begin())) << "rho = " << rho;
  }
}

TEST(RootsTest, PropertiesOverManyRatios) {
  constexpr float kLastJ0 = 250.54202f;  // z0(80)
  constexpr float kLastJ1 = 248.97122f;  // z1(80)
  std::vector<float> ratios = {0.0f, 1e-3f, 0.05f, 1.0062f, 1.0063f, 1.00631f, 1.0064f, 1e3f};
  for (int i = 1; i <= 100; ++i) ratios.push_back(0.1f * static_cast<float>(i));
  for (const float rho : ratios) {
    const RootList kind1 = roots_of(rho, 1);
    const RootList kind2 = roots_of(rho, 2);
    for (const RootList* list : {&kind1, &kind2}) {
      EXPECT_TRUE(std::is_sorted(list->begin(), list->end())) << "rho = " << rho;
      EXPECT_EQ(entry(*list, 1), 0.0f) << "rho = " << rho;
      EXPECT_EQ(std::count(list->begin(), list->end(), 0.0f), 1) << "rho = " << rho;
    }
    // Both lists end at the greater of z0(80)/rho and z1(80); rho = 0 keeps
    // z0(80). The two swap near rho = 250.54202/248.97122 = 1.0063.
    const float end = (rho == 0.0f) ? kLastJ0 : std::max(kLastJ0 / rho, kLastJ1);
    EXPECT_EQ(entry(kind1, kRootListSize), end) << "rho = " << rho;
    EXPECT_EQ(entry(kind2, kRootListSize), end) << "rho = " << rho;
  }
}

TEST(RootsTest, RatioMayBeAnEntryOfTheOutput) {
  RootList list = roots_of(1.0f, 1);
  // Entry 3 is 3.832; reading it as rho must not see the list being rewritten.
  ROOTS(list[2], list, 1);
  EXPECT_EQ(list, roots_of(3.832f, 1));
}

TEST(RootsTest, ExtremeRatiosStayOrdered) {
  // Outside the system's range but must not break the list: quotients that
  // overflow to infinity or fall to subnormals still sort.
  for (const float rho : {FLT_TRUE_MIN, FLT_MIN, FLT_MAX}) {
    for (const int kind : {1, 2}) {
      const RootList list = roots_of(rho, kind);
      EXPECT_TRUE(std::is_sorted(list.begin(), list.end())) << "rho = " << rho;
      EXPECT_EQ(entry(list, 1), 0.0f);
    }
  }
}

// ----------------------------------------------------------------- BUBBL --

// The exchange sort exactly as designed: count-1 full passes, neighbours
// exchanged unless strictly ascending. Kept deliberately simple as the oracle.
void reference_exchange_sort(RootList& v, int count) {
  for (int pass = 1; pass <= count - 1; ++pass) {
    for (int i = 1; i <= count - pass; ++i) {
      if (!(v[i - 1] < v[i])) std::swap(v[i - 1], v[i]);
    }
  }
}

// Compares bit patterns, so that -0 against +0 and NaN against NaN count.
bool same_bits(const RootList& a, const RootList& b) {
  for (int i = 0; i < kRootListSize; ++i) {
    if (std::bit_cast<std::uint32_t>(a[i]) != std::bit_cast<std::uint32_t>(b[i])) return false;
  }
  return true;
}

RootList random_list(std::mt19937& rng) {
  std::uniform_real_distribution<float> value(-10.0f, 300.0f);
  RootList list;
  for (float& v : list) v = value(rng);
  return list;
}

TEST(BubblTest, CountsBelowTwoLeaveTheTableAlone) {
  std::mt19937 rng(1);
  const RootList original = random_list(rng);
  for (const int count : {INT_MIN, -1, 0, 1}) {
    RootList list = original;
    BUBBL(list, count);
    EXPECT_TRUE(same_bits(list, original)) << "count = " << count;
  }
}

TEST(BubblTest, SortedInputComesBackUnchanged) {
  RootList list = roots_of(1.0f, 2);  // with repeated values
  const RootList original = list;
  BUBBL(list, kRootListSize);
  EXPECT_TRUE(same_bits(list, original));
}

TEST(BubblTest, SortsLikeStdSort) {
  std::mt19937 rng(2);
  std::vector<RootList> inputs;
  RootList reversed = roots_of(0.7f, 1);
  std::reverse(reversed.begin(), reversed.end());
  inputs.push_back(reversed);
  for (int i = 0; i < 20; ++i) inputs.push_back(random_list(rng));
  RootList few_values;  // many ties
  for (float& v : few_values) v = static_cast<float>(rng() % 5);
  inputs.push_back(few_values);
  for (const RootList& input : inputs) {
    RootList list = input;
    RootList expected = input;
    BUBBL(list, kRootListSize);
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(same_bits(list, expected));
  }
}

TEST(BubblTest, SortsOnlyTheLeadingCountEntries) {
  std::mt19937 rng(3);
  const RootList original = random_list(rng);
  for (const int count : {2, 3, 17, 159}) {
    RootList list = original;
    RootList expected = original;
    BUBBL(list, count);
    std::sort(expected.begin(), expected.begin() + count);
    EXPECT_TRUE(same_bits(list, expected)) << "count = " << count;
  }
}

TEST(BubblTest, CountsBeyondTheTableSortTheWholeTable) {
  std::mt19937 rng(4);
  const RootList original = random_list(rng);
  RootList expected = original;
  std::sort(expected.begin(), expected.end());
  for (const int count : {161, 1000, INT_MAX}) {
    RootList list = original;
    BUBBL(list, count);
    EXPECT_TRUE(same_bits(list, expected)) << "count = " << count;
  }
}

TEST(BubblTest, SignedZerosAndNaNEndWhereTheExchangeSortPutsThem) {
  // +0 and -0 compare equal but differ, and NaN compares with nothing: their
  // places depend on the exchange sort's own sequence of swaps.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::mt19937 rng(5);
  for (int trial = 0; trial < 40; ++trial) {
    // Every other trial without NaN, so the signed zeros are seen alone.
    const bool with_nan = (trial % 2 == 0);
    RootList input;
    for (float& v : input) {
      switch (rng() % 6) {
        case 0: v = 0.0f; break;
        case 1: v = -0.0f; break;
        case 2: v = with_nan ? nan : 3.0f; break;
        default: v = static_cast<float>(rng() % 7);
      }
    }
    for (const int count : {2, 9, kRootListSize}) {
      RootList list = input;
      RootList expected = input;
      BUBBL(list, count);
      reference_exchange_sort(expected, count);
      EXPECT_TRUE(same_bits(list, expected)) << "trial " << trial << ", count " << count;
    }
  }
}

}  // namespace
}  // namespace kestral
