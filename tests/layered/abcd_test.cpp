// Tests of ABCD: the homogeneous half-space in closed form, the boundary and
// continuity conditions rebuilt from the returned constants for genuinely
// layered sections, agreement with an independent long-double solve, scaling
// invariance, the clamp of the decay factor and the fixed layout of the
// outputs.
#include "layered/abcd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "layered/decay_factor.h"
#include "layered/layer_tables.h"

namespace kestral {
namespace {

struct Section {
  int NL;
  LayerTable E, Mu, H;
  float a;
};

struct Constants {
  ConstantsTable A{}, B{}, C{}, D{};
};

Constants solve(const Section& s, float m, int ibond = kBondedInterfaces) {
  Constants k;
  ABCD(m, s.Mu, s.E, s.NL, s.H, s.a, k.A, k.B, k.C, k.D, ibond);
  return k;
}

// Genuinely layered sections: neighbouring moduli differ by a factor of 10 or
// more, stiff over soft and soft over stiff, thin and thick layers.
const std::vector<Section>& layered_sections() {
  static const std::vector<Section> sections{
      {2, {3000, 100}, {0.35f, 0.45f}, {150}, 106.6f},
      {2, {100, 3000}, {0.40f, 0.25f}, {50}, 150.0f},
      {3, {5000, 400, 40}, {0.35f, 0.30f, 0.45f}, {100, 300}, 106.6f},
      {4, {10000, 1000, 100, 10}, {0.25f, 0.35f, 0.40f, 0.45f}, {25, 200, 600}, 120.0f},
      {5, {6000, 300, 4000, 40, 400}, {0.30f, 0.35f, 0.25f, 0.45f, 0.40f}, {30, 120, 80, 500},
       106.6f},
      {5, {200, 20000, 150, 3000, 30}, {0.40f, 0.20f, 0.35f, 0.30f, 0.45f}, {10, 40, 300, 15},
       90.0f},
  };
  return sections;
}

// The section whose small-m constants a single-precision elimination gets
// wrong.
const Section kFiveLayerSection{5,
                                {5000, 3000, 1000, 300, 80},
                                {0.35f, 0.35f, 0.25f, 0.35f, 0.40f},
                                {40, 100, 200, 250},
                                106.6f};

// From well below the first Bessel zero to the largest m of the integration.
const std::array<float, 14> kHankelParameters{0.01f, 0.02f, 0.05f, 0.1f, 0.2f,  0.5f,   1.0f,
                                              2.0f,  5.0f,  10.0f, 20.0f, 50.0f, 100.0f, 150.0f};

// Interface depth in units of a, as the system defines it: the float
// thicknesses summed and divided by the float radius in double.
double interface_depth(const Section& s, int interface) {  // interface 1..NL-1
  double depth = 0;
  for (int i = 0; i < interface; ++i) depth += double{s.H[i]};
  return depth / double{s.a};
}

// ---------------------------------------------------------------------------
// Constants as the integration meets them.
//
// The response integration evaluates A e^{m zeta}, B e^{-m zeta}, C e^{m zeta}
// and D e^{-m zeta} at the point's depth zeta; its stop test keeps m*zeta
// near 7 (more only at nodes of the first intervals, for points many radii
// deep). The elimination leaves an absolute error near DBL_EPSILON of the
// surface scale in every constant, and those exponentials magnify it by up
// to e^{m*zeta}: within m*zeta <= kReach it stays below single precision
// (measured: 0.5 FLT_EPSILON at 20, 1e-5 at 25, 1e-3 at 30). Layers whose
// top lies beyond reach for this m, and growing terms deeper than that, are
// left out of the comparisons below.
constexpr double kReach = 20.0;

using LayerValues = std::array<double, 4>;  // A, B, C, D of one layer

// Each constant times its exponential at the point of the layer where that
// term is largest within reach: the decaying B and D at the top of the
// layer, the growing A and C at the deepest point within reach. False when
// the top of the layer is beyond reach.
bool terms_within_reach(const Section& s, double m, int layer, const LayerValues& v,
                        LayerValues& terms) {
  const double top = layer == 0 ? 0.0 : interface_depth(s, layer);
  if (m * top > kReach) return false;
  const double bottom = layer == s.NL - 1 ? HUGE_VAL : interface_depth(s, layer + 1);
  const double grow = std::exp(m * std::min(bottom, kReach / m));
  const double decay = std::exp(-m * top);
  terms = {v[0] * grow, v[1] * decay, v[2] * grow, v[3] * decay};
  return true;
}

// Measured figures are recorded in the test report (--gtest_output=xml).
std::string figure(double x) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.3g", x);
  return text.data();
}

LayerValues layer_values(const Constants& k, int layer) {
  return {k.A[layer], k.B[layer], k.C[layer], k.D[layer]};
}

// Worst |term - expected term| over every layer within reach, relative to the
// largest expected term (the scale of the surface constants).
template <typename Expected>
double disagreement_within_reach(const Section& s, float m, const Constants& k,
                                 const Expected& expected) {
  double worst = 0;
  double scale = 0;
  for (int layer = 0; layer < s.NL; ++layer) {
    LayerValues got{}, want{};
    if (!terms_within_reach(s, m, layer, layer_values(k, layer), got)) continue;
    terms_within_reach(s, m, layer, expected(layer), want);
    for (int q = 0; q < 4; ++q) {
      worst = std::max(worst, std::fabs(got[q] - want[q]));
      scale = std::max(scale, std::fabs(want[q]));
    }
  }
  return worst / scale;
}

// ---------------------------------------------------------------------------
// Transformed quantities rebuilt from the constants.

// A sum of terms coefficient * constant, with the bound on the change that
// rounding each constant to single precision makes in it: half an ulp of the
// constant, or half the smallest subnormal for constants that underflow.
struct RoundedSum {
  double value = 0;
  double rounding = 0;
  void add(double coefficient, float constant) {
    value += coefficient * double{constant};
    const double half_ulp = std::max(std::fabs(double{constant}) * (double{FLT_EPSILON} / 2.0),
                                     double{std::numeric_limits<float>::denorm_min()} / 2.0);
    rounding += std::fabs(coefficient) * half_ulp;
  }
  RoundedSum scaled(double factor) const { return {value * factor, rounding * std::fabs(factor)}; }
};

enum Quantity { kS, kT, kW, kU };

// S, T, W or U of layer k (0-based) at depth lambda, multiplied by
// exp(-m*lambda): the A and C terms carry 1, the B and D terms carry F.
RoundedSum quantity(Quantity q, const Constants& k, int layer, double m, double lambda, double F,
                    double nu) {
  const double ml = m * lambda;
  std::array<double, 4> c{};
  switch (q) {
    case kS: c = {m, m, ml - 1 + 2 * nu, 1 - 2 * nu + ml}; break;
    case kT: c = {m, -m, ml + 2 * nu, 2 * nu - ml}; break;
    case kW: c = {m, -m, ml - 2 + 4 * nu, -(2 - 4 * nu + ml)}; break;
    case kU: c = {m, m, 1 + ml, -(1 - ml)}; break;
  }
  RoundedSum sum;
  sum.add(c[0], k.A[layer]);
  sum.add(c[1] * F, k.B[layer]);
  sum.add(c[2], k.C[layer]);
  sum.add(c[3] * F, k.D[layer]);
  return sum;
}

double clamped_decay(double m, double lambda) {
  return std::exp(-std::min(2.0 * m * lambda, 85.0));
}

// Allowed imbalance of one condition: the rounding of the constants to float
// (2 x the half-ulp bound, for the double evaluation here), plus the absolute
// residual that the double elimination leaves on the scale of the system
// (its right-hand side is 1). The latter is measured at <= 0.07 DBL_EPSILON;
// it only matters at interfaces deeper than 2 m lambda ~ 28, where every
// term of the scaled condition is below e^-28.
constexpr double kRoundingSlack = 2.0;
constexpr double kEliminationResidual = DBL_EPSILON;

// Worst ratio |imbalance| / allowed imbalance over the surface and every
// interface (<= 1 passes). The displacement conditions are weighted as in the
// system: the layer below by R = ((1 + nu_l)/E_l) / ((1 + nu_u)/E_u), formed
// here from the physical factors (1 + nu)/E of the two layers.
double worst_condition_ratio(const Section& s, float m_float, const Constants& k,
                             std::string& where) {
  const double m = m_float;
  double worst = 0;
  const auto check = [&](const RoundedSum& difference, const std::string& what) {
    const double allowed = kRoundingSlack * difference.rounding + kEliminationResidual;
    const double ratio = std::fabs(difference.value) / allowed;
    if (!(ratio <= worst)) {
      worst = std::isnan(ratio) ? HUGE_VAL : ratio;
      where = what;
    }
  };
  RoundedSum surface_stress = quantity(kS, k, 0, m, 0.0, 1.0, s.Mu[0]).scaled(m);
  surface_stress.value -= 1.0;
  check(surface_stress, "surface m*S = 1");
  check(quantity(kT, k, 0, m, 0.0, 1.0, s.Mu[0]), "surface T = 0");

  for (int i = 1; i < s.NL; ++i) {
    const double lambda = interface_depth(s, i);
    const double F = clamped_decay(m, lambda);
    const int up = i - 1;
    const int low = i;
    const double R = ((1.0 + double{s.Mu[low]}) / double{s.E[low]}) /
                       ((1.0 + double{s.Mu[up]}) / double{s.E[up]});
    for (Quantity q : {kS, kT, kW, kU}) {
      const bool displacement = q == kW || q == kU;
      const RoundedSum above = quantity(q, k, up, m, lambda, F, s.Mu[up]);
      const RoundedSum below =
          quantity(q, k, low, m, lambda, F, s.Mu[low]).scaled(displacement ? R : 1.0);
      check({above.value - below.value, above.rounding + below.rounding},
            "interface " + std::to_string(i) + " quantity " + "STWU"[q]);
    }
  }
  return worst;
}

// ---------------------------------------------------------------------------
// Independent long-double oracle: the system written row by row from the
// coefficient table of the surface and interface conditions (not from the
// quantities above), solved by Gaussian elimination with partial pivoting.

std::array<long double, 18> oracle_solution(const Section& s, float m_float) {
  const int NL = s.NL;
  const int n = 4 * NL - 2;
  const long double m = m_float;
  std::array<std::array<long double, 19>, 18> g{};  // augmented, 0-based
  const long double nu1 = s.Mu[0];
  g[0] = {m * m, m * m, -(1 - 2 * nu1) * m, (1 - 2 * nu1) * m};
  g[0][n] = 1;
  g[1] = {m, -m, 2 * nu1, 2 * nu1};
  long double depth = 0;
  for (int i = 1; i < NL; ++i) {
    depth += s.H[i - 1];
    const long double lambda = depth / s.a;
    const long double ml = m * lambda;
    const long double F = std::exp(-std::min(2 * m * lambda, 85.0L));
    const long double nu = s.Mu[i - 1];
    const long double nl = s.Mu[i];
    const long double R = static_cast<long double>(s.E[i - 1]) * (1 + nl) / ((1 + nu) * s.E[i]);
    const int r = 4 * i - 2;  // 0-based row 4i - 1
    const int u = 4 * i - 4;  // 0-based column of A_i
    const int l = 4 * i;      // 0-based column of A_{i+1}, or of B_NL
    const std::array<std::array<long double, 8>, 4> rows{{
        {m, m * F, ml - 1 + 2 * nu, (1 - 2 * nu + ml) * F, -m, -m * F, 1 - 2 * nl - ml,
         -(1 - 2 * nl + ml) * F},
        {m, -m * F, ml + 2 * nu, (2 * nu - ml) * F, -m, m * F, -(ml + 2 * nl), -(2 * nl - ml) * F},
        {m, -m * F, ml - 2 + 4 * nu, -(2 - 4 * nu + ml) * F, -m * R, m * F * R,
         (2 - 4 * nl - ml) * R, (2 - 4 * nl + ml) * F * R},
        {m, m * F, 1 + ml, -(1 - ml) * F, -m * R, -m * F * R, -(1 + ml) * R, (1 - ml) * F * R},
    }};
    for (int q = 0; q < 4; ++q) {
      for (int c = 0; c < 4; ++c) g[r + q][u + c] = rows[q][c];
      if (i == NL - 1) {  // half-space: B and D only
        g[r + q][l] = rows[q][5];
        g[r + q][l + 1] = rows[q][7];
      } else {
        for (int c = 0; c < 4; ++c) g[r + q][l + c] = rows[q][4 + c];
      }
    }
  }
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int row = col + 1; row < n; ++row) {
      if (std::fabs(g[row][col]) > std::fabs(g[pivot][col])) pivot = row;
    }
    std::swap(g[col], g[pivot]);
    for (int row = col + 1; row < n; ++row) {
      const long double f = g[row][col] / g[col][col];
      for (int c = col; c <= n; ++c) g[row][c] -= f * g[col][c];
    }
  }
  std::array<long double, 18> x{};
  for (int row = n - 1; row >= 0; --row) {
    long double sum = g[row][n];
    for (int c = row + 1; c < n; ++c) sum -= g[row][c] * x[c];
    x[row] = sum / g[row][row];
  }
  return x;
}

LayerValues oracle_layer(const std::array<long double, 18>& x, int NL, int layer) {
  if (layer == NL - 1) {
    return {0.0, static_cast<double>(x[4 * NL - 4]), 0.0, static_cast<double>(x[4 * NL - 3])};
  }
  return {static_cast<double>(x[4 * layer]), static_cast<double>(x[4 * layer + 1]),
          static_cast<double>(x[4 * layer + 2]), static_cast<double>(x[4 * layer + 3])};
}

// ---------------------------------------------------------------------------

TEST(AbcdHomogeneous, EveryLayerWithinReachGetsTheHalfSpaceConstants) {
  // Same E and nu everywhere: the interfaces do nothing, and every layer has
  // A = C = 0, B = 2 nu / m^2, D = 1 / m, whatever the thicknesses. The
  // constants are the closed form rounded once to float: one ulp of the
  // surface scale covers that and what the double elimination adds within
  // reach (measured worst 0.52 FLT_EPSILON).
  constexpr float kNu = 0.35f;
  const std::array<LayerTable, 3> thickness_sets{
      LayerTable{10, 10, 10, 10}, LayerTable{40, 100, 200, 250}, LayerTable{300, 500, 800, 1000}};
  double worst = 0;
  for (int NL = 2; NL <= 5; ++NL) {
    for (const LayerTable& H : thickness_sets) {
      for (float m : {0.05f, 0.7f, 3.0f, 40.0f, 150.0f}) {
        const Section s{NL, {3000, 3000, 3000, 3000, 3000}, {kNu, kNu, kNu, kNu, kNu}, H, 106.6f};
        const Constants k = solve(s, m);
        const double md = m;
        const LayerValues half_space{0.0, 2.0 * double{kNu} / (md * md), 0.0, 1.0 / md};
        const double d = disagreement_within_reach(s, m, k, [&](int) { return half_space; });
        EXPECT_LE(d, double{FLT_EPSILON}) << "NL " << NL << " H1 " << H[0] << " m " << m;
        worst = std::max(worst, d);
        // The top layer is always met as it stands: its B and D to one ulp.
        EXPECT_NEAR(k.B[0], half_space[1], double{FLT_EPSILON} * half_space[1]);
        EXPECT_NEAR(k.D[0], half_space[3], double{FLT_EPSILON} * half_space[3]);
      }
    }
  }
  RecordProperty("worst_relative_to_surface_scale", figure(worst));
}

TEST(AbcdHomogeneous, StatedValueAtNuPoint35AndMPoint7) {
  const Section s{3, {500, 500, 500}, {0.35f, 0.35f, 0.35f}, {80, 120}, 106.6f};
  const Constants k = solve(s, 0.7f);
  for (int layer = 0; layer < 3; ++layer) {
    EXPECT_NEAR(k.B[layer], 1.428571f, 1e-6f);
    EXPECT_NEAR(k.D[layer], 1.428571f, 1e-6f);
  }
}

TEST(AbcdClamp, DecayFactorClampsOnlyAboveEightyFive) {
  const double limit = std::exp(-85.0);
  EXPECT_NEAR(limit, 1.2160993e-37, 1e-43);
  EXPECT_GE(static_cast<float>(limit), FLT_MIN);  // a normal float, never zero
  EXPECT_EQ(decay_factor(0.5, 85.0), limit);      // exactly 85: unclamped, the same value
  EXPECT_EQ(decay_factor(0.5, 85.0 + 1e-9), limit);
  EXPECT_EQ(decay_factor(2.0, 22.0), limit);
  EXPECT_EQ(decay_factor(150.0, 1e6), limit);
  EXPECT_EQ(decay_factor(0.5, 84.0), std::exp(-84.0));
  EXPECT_EQ(decay_factor(2.0, 1.0), std::exp(-4.0));
  EXPECT_EQ(decay_factor(0.01, 0.375), std::exp(-2.0 * 0.01 * 0.375));
}

TEST(AbcdClamp, KeepsTheSystemRegularWhereTheDecayWouldUnderflow) {
  // m = 150, interface at lambda = 4: exp(-1200) is 0 even in double, which
  // would empty the half-space's columns and make the system singular. With
  // the clamp the top layer still gets the half-space constants.
  const Section s{2, {800, 800}, {0.3f, 0.3f}, {400}, 100.0f};
  const float m = 150.0f;
  const double md = m;
  ASSERT_EQ(std::exp(-2.0 * md * interface_depth(s, 1)), 0.0);
  const Constants k = solve(s, m);
  const double b = 2.0 * double{0.3f} / (md * md);
  const double d = 1.0 / md;
  EXPECT_NEAR(k.B[0], b, double{FLT_EPSILON} * b);
  EXPECT_NEAR(k.D[0], d, double{FLT_EPSILON} * d);
  // Growing terms of the top layer, at its deepest point within reach.
  const double grow = std::exp(kReach);
  EXPECT_LE(std::fabs(double{k.A[0]}) * grow, double{FLT_EPSILON} * d);
  EXPECT_LE(std::fabs(double{k.C[0]}) * grow, double{FLT_EPSILON} * d);
}

TEST(AbcdClamp, FarBeyondTheClampEveryConstantIsFinite) {
  for (const Section& s : layered_sections()) {
    for (float m : {150.0f, 1000.0f, 1e5f}) {
      const Constants k = solve(s, m);
      for (int layer = 0; layer < s.NL; ++layer) {
        for (float x : {k.A[layer], k.B[layer], k.C[layer], k.D[layer]}) {
          EXPECT_TRUE(std::isfinite(x)) << "m " << m << " layer " << layer + 1;
        }
      }
    }
  }
}

TEST(AbcdConditions, SurfaceAndInterfaceConditionsHoldForLayeredSections) {
  // Includes calls in which deep interfaces are clamped while shallow ones
  // are not (e.g. the fifth section at m = 20: 2 m lambda = 11 at interface 1,
  // 274 at interface 4).
  std::vector<Section> sections = layered_sections();
  sections.push_back(kFiveLayerSection);
  double worst = 0;
  for (std::size_t n = 0; n < sections.size(); ++n) {
    for (float m : kHankelParameters) {
      const Constants k = solve(sections[n], m);
      std::string where;
      const double ratio = worst_condition_ratio(sections[n], m, k, where);
      EXPECT_LE(ratio, 1.0) << "section " << n << " m " << m << ": " << where;
      worst = std::max(worst, ratio);
    }
  }
  RecordProperty("worst_ratio_to_allowed", figure(worst));
}

// The constants are the double solution rounded once to float: half an ulp
// of each, below one ulp of the largest (measured <= 0.6 FLT_EPSILON over all
// the sections and m here, the double elimination's own error included). A
// single-precision elimination misses the five-layer section at m = 0.05 by
// 9e-6 of the largest constant, 37 times this bound; as A and B of the top
// layer nearly cancel there (-7561 and 7303), the responses lose far more.
constexpr double kOracleAgreement = 2.0 * double{FLT_EPSILON};

TEST(AbcdAccuracy, FiveLayerSectionAgreesWithLongDoubleAtSmallM) {
  // Here every layer lies within reach (m lambda < 0.3), so the constants
  // themselves are compared.
  const Section& s = kFiveLayerSection;
  for (float m : {0.01f, 0.02f, 0.05f}) {
    const Constants k = solve(s, m);
    const auto x = oracle_solution(s, m);
    double worst = 0;
    double largest = 0;
    for (int layer = 0; layer < s.NL; ++layer) {
      const LayerValues got = layer_values(k, layer);
      const LayerValues want = oracle_layer(x, s.NL, layer);
      for (int q = 0; q < 4; ++q) {
        worst = std::max(worst, std::fabs(got[q] - want[q]));
        largest = std::max(largest, std::fabs(want[q]));
      }
    }
    EXPECT_LE(worst / largest, kOracleAgreement) << "m " << m;
    RecordProperty("five_layer_m" + std::to_string(m), figure(worst / largest));
  }
}

TEST(AbcdAccuracy, LayeredSectionsAgreeWithLongDoubleWithinReach) {
  double worst = 0;
  for (const Section& s : layered_sections()) {
    for (float m : kHankelParameters) {
      const Constants k = solve(s, m);
      const auto x = oracle_solution(s, m);
      const double d = disagreement_within_reach(
          s, m, k, [&](int layer) { return oracle_layer(x, s.NL, layer); });
      EXPECT_LE(d, kOracleAgreement) << "NL " << s.NL << " m " << m;
      worst = std::max(worst, d);
    }
  }
  RecordProperty("worst_layered", figure(worst));
}

// ---------------------------------------------------------------------------

TEST(AbcdScaling, PowerOfTwoFactorsLeaveEveryConstantBitForBit) {
  // Scaling by 2^k is exact in every float input and every double product,
  // so as only E(i)/E(i+1) and H/a enter, the results are identical.
  for (const Section& s : layered_sections()) {
    for (float m : {0.02f, 0.7f, 12.0f}) {
      const Constants base = solve(s, m);
      Section stiffer = s;
      for (float& e : stiffer.E) e *= 1024.0f;
      Section larger = s;
      for (float& h : larger.H) h *= 0.25f;
      larger.a *= 0.25f;
      for (const Section& t : {stiffer, larger}) {
        const Constants k = solve(t, m);
        EXPECT_EQ(k.A, base.A);
        EXPECT_EQ(k.B, base.B);
        EXPECT_EQ(k.C, base.C);
        EXPECT_EQ(k.D, base.D);
      }
    }
  }
}

TEST(AbcdScaling, DecimalFactorsLeaveEveryConstantToInputRounding) {
  // A factor that is not a power of two moves each float input by up to half
  // an ulp; the constants move by that times the sensitivity of the system
  // (measured: 1.1 FLT_EPSILON of the surface scale at most, over all m here),
  // plus the rounding of both results.
  constexpr double kTolerance = 4.0 * double{FLT_EPSILON};
  double worst = 0;
  for (const Section& s : layered_sections()) {
    for (float m : kHankelParameters) {
      const Constants base = solve(s, m);
      Section stiffer = s;
      for (float& e : stiffer.E) e *= 1000.0f;  // MPa to kPa
      Section larger = s;
      for (float& h : larger.H) h *= 0.001f;  // mm to m
      larger.a *= 0.001f;
      for (const Section& t : {stiffer, larger}) {
        const Constants k = solve(t, m);
        const double d = disagreement_within_reach(
            s, m, k, [&](int layer) { return layer_values(base, layer); });
        EXPECT_LE(d, kTolerance) << "NL " << s.NL << " m " << m;
        worst = std::max(worst, d);
      }
    }
  }
  RecordProperty("worst_in_eps", figure(worst / double{FLT_EPSILON}));
}

// ---------------------------------------------------------------------------

TEST(AbcdLayout, HalfSpaceHasNoGrowingTermsAndUnusedEntriesStayUntouched) {
  const float kNaN = std::numeric_limits<float>::quiet_NaN();
  for (const Section& s : layered_sections()) {
    for (float m : {0.01f, 1.0f, 150.0f}) {
      Constants k;
      for (ConstantsTable* t : {&k.A, &k.B, &k.C, &k.D}) t->fill(kNaN);
      ABCD(m, s.Mu, s.E, s.NL, s.H, s.a, k.A, k.B, k.C, k.D, kBondedInterfaces);
      EXPECT_EQ(k.A[s.NL - 1], 0.0f);
      EXPECT_EQ(k.C[s.NL - 1], 0.0f);
      EXPECT_FALSE(std::signbit(k.A[s.NL - 1]) || std::signbit(k.C[s.NL - 1]));
      for (int layer = 0; layer < s.NL; ++layer) {
        EXPECT_FALSE(std::isnan(k.B[layer]) || std::isnan(k.D[layer]));
      }
      for (int layer = s.NL; layer < kMaxLayers; ++layer) {
        EXPECT_TRUE(std::isnan(k.A[layer]) && std::isnan(k.B[layer]) && std::isnan(k.C[layer]) &&
                    std::isnan(k.D[layer]));
      }
    }
  }
}

TEST(AbcdLayout, LayerCountOutsideTwoToFiveLeavesTheOutputsUntouched) {
  Section s = kFiveLayerSection;
  for (int NL : {-1, 0, 1, 6, 11}) {
    s.NL = NL;
    Constants k;
    for (ConstantsTable* t : {&k.A, &k.B, &k.C, &k.D}) t->fill(-5.0f);
    ABCD(0.5f, s.Mu, s.E, s.NL, s.H, s.a, k.A, k.B, k.C, k.D, kBondedInterfaces);
    for (const ConstantsTable* t : {&k.A, &k.B, &k.C, &k.D}) {
      EXPECT_TRUE(std::all_of(t->begin(), t->end(), [](float x) { return x == -5.0f; })) << NL;
    }
  }
}

TEST(AbcdLayout, EveryInterfaceConditionWritesTheBondedSystem) {
  // The plain solve, with no store between the calls: each is solved anew.
  const Section& s = layered_sections()[4];
  const Constants bonded = solve(s, 0.3f);
  for (int ibond : {0, 1, 3, -7}) {
    const Constants k = solve(s, 0.3f, ibond);
    EXPECT_EQ(k.A, bonded.A);
    EXPECT_EQ(k.B, bonded.B);
    EXPECT_EQ(k.C, bonded.C);
    EXPECT_EQ(k.D, bonded.D);
  }
}

TEST(AbcdLayout, ParallelThreadsKeepTheirOwnWorkStorage) {
  // Each thread solves its own section over many m; the results must be
  // those of a serial run, bit for bit.
  const std::vector<Section>& sections = layered_sections();
  const auto run = [](const Section& s) {
    std::vector<Constants> out;
    for (int j = 1; j <= 400; ++j) out.push_back(solve(s, 0.01f * static_cast<float>(j)));
    return out;
  };
  std::vector<std::vector<Constants>> serial;
  for (const Section& s : sections) serial.push_back(run(s));
  std::vector<std::vector<Constants>> parallel(sections.size());
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < sections.size(); ++t) {
    threads.emplace_back([&, t] { parallel[t] = run(sections[t]); });
  }
  for (std::thread& th : threads) th.join();
  for (std::size_t t = 0; t < sections.size(); ++t) {
    for (std::size_t j = 0; j < serial[t].size(); ++j) {
      ASSERT_EQ(parallel[t][j].B, serial[t][j].B) << t << " " << j;
      ASSERT_EQ(parallel[t][j].D, serial[t][j].D) << t << " " << j;
    }
  }
}

}  // namespace
}  // namespace kestral
