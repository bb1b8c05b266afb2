// FINAL against the closed-form Boussinesq half-space, the surface
// conditions, the physics of a bonded interface, and its row and console
// contract.
//
// Every case uses 10-point Gauss-Legendre rules in the three rule slots and a
// contact radius of 20000 N at 0.56 MPa.
#include "hankel/final.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <sstream>
#include <string>

#include "format/format.h"
#include "hankel/truncation.h"
#include "tests/support/gauss_rules.h"

namespace kestral {
namespace {

// The neglected tail of an integral that stops at zeta*m = 7: the brackets
// carry the envelope (c + zeta*m)*exp(-zeta*m) with c <= 1 + 2*mu <= 2, and
// the Bessel factor (|J| < 0.6 beyond the first interval) oscillates, so the
// tail is at most about one envelope value, (2 + 7)*exp(-7), times q.
const double kStopExponent = kTruncationExponent;
const double kDepthTail = (2.0 + kStopExponent) * std::exp(-kStopExponent);
// At the surface the passes stop near M = 150; on the axis I1 = 1 - J0(M),
// and sqrt(2/(pi*M)) is the amplitude of J0 there, about 6.5 % of q.
const double kStopParameter = kSurfaceParameterLimit;
const double kSurfaceAxisTail = std::sqrt(2.0 / (std::numbers::pi * kStopParameter));
// Off the axis the surface integrand J0(rho m)J1(m) has the amplitude
// 2/(pi*M*sqrt(rho)) at m = M; one half-oscillation (width below pi) of
// it bounds the tail.
double surface_offset_tail(double rho) { return 2.0 / (kStopParameter * std::sqrt(rho)); }
// The surface displacement integrand (2 - 2mu)J1(m)/m: its tail beyond M
// is about the J0 amplitude there divided by M, relative to the value.
const double kSurfaceDispTail = kSurfaceAxisTail / kStopParameter;
// Both sides of an interface integrate on the same nodes; their totals then
// differ only by the rounding of the float constants and of up to 317
// interval sums of size <= 1 (each add rounds by FLT_EPSILON/2 at most).
const double kSumRounding = 320.0 * double{FLT_EPSILON};

// 10-point Gauss-Legendre rules, negative half first, in rule slots 1 to 3.
using GaussRules = testing::RuleTables;
GaussRules ten_point_rules() { return testing::ten_point_rule_tables(); }

// The load as FINAL takes it (float), and widened for the checks.
const float kPressureF = 0.56f;
const float kRadiusF = static_cast<float>(std::sqrt(20000.0 / (std::numbers::pi * 0.56)));  // 106.62
const double kPressure = kPressureF;
const double kRadius = kRadiusF;

struct Section {
  int n;
  LayerTable E;
  LayerTable Mu;
  LayerTable H;
};

Section homogeneous(float nu) { return Section{3, {300, 300, 300}, {nu, nu, nu}, {100, 200}}; }

// The layer whose top lies above Z and whose bottom lies at or below it.
int layer_of(const Section& s, float Z) {
  float bottom = 0.0f;
  for (int k = 1; k <= s.n - 1; ++k) {
    bottom += s.H[k - 1];
    if (Z <= bottom) return k;
  }
  return s.n;
}

struct Response {
  std::array<float, kResultColumns> row{};  // columns 1..10 at 0..9
  std::string console;
  double Z() const { return row[kColZ - 1]; }
  double R() const { return row[kColR - 1]; }
  double SigmaZ() const { return row[kColSigmaZ - 1]; }
  double SigmaT() const { return row[kColSigmaT - 1]; }
  double SigmaR() const { return row[kColSigmaR - 1]; }
  double TaoRZ() const { return row[kColTaoRZ - 1]; }
  double DispZ() const { return row[kColDispZ - 1]; }
  double epZ() const { return row[kColEpZ - 1]; }
  double epT() const { return row[kColEpT - 1]; }
  double epR() const { return row[kColEpR - 1]; }
};

Response evaluate(const Section& s, float Z, float R, int L) {
  const GaussRules g = ten_point_rules();
  const int bonded = kBondedInterfaces;
  const int K = 7;
  ResultTable table;
  std::ostringstream console;
  FINAL(Z, R, L, s.n, s.E, s.Mu, s.H, kRadiusF, kPressureF, g.x, g.w, g.N, bonded, K, table, console);
  Response out;
  for (int c = 1; c <= kResultColumns; ++c) out.row[c - 1] = table.at(K, c);
  out.console = console.str();
  return out;
}

Response evaluate(const Section& s, float Z, float R) { return evaluate(s, Z, R, layer_of(s, Z)); }

// Boussinesq on the axis of a uniform circular load, s = zeta/sqrt(1 + zeta^2).
double axis_s(double zeta) { return zeta / std::sqrt(1.0 + zeta * zeta); }
double boussinesq_sigma_z(double zeta, double q) { return -q * (1.0 - std::pow(axis_s(zeta), 3)); }
double boussinesq_sigma_h(double zeta, double nu, double q) {
  const double s = axis_s(zeta);
  return -(q / 2.0) * ((1.0 + 2.0 * nu) - 2.0 * (1.0 + nu) * s + s * s * s);
}
// Vertical displacement on the axis: (1 + nu) q a / E times
// 2(1 - nu)(sqrt(1 + zeta^2) - zeta) + zeta(1 - s); 2(1 - nu^2) q a / E at 0.
double boussinesq_disp_z(double zeta, double nu, double E, double q, double a) {
  const double root = std::sqrt(1.0 + zeta * zeta);
  return (1.0 + nu) * q * a / E * (2.0 * (1.0 - nu) * (root - zeta) + zeta * (1.0 - zeta / root));
}

bool all_finite(const Response& r) {
  for (float v : r.row) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Homogeneous half-space (three equal layers) on the load axis.

TEST(FinalHalfSpace, AxisStressesMatchBoussinesqBelowTheSurfaceZone) {
  for (float nu : {0.35f, 0.5f}) {
    const Section s = homogeneous(nu);
    for (double zeta : {0.1, 0.5, 1.0, 2.0, 4.0}) {
      SCOPED_TRACE(::testing::Message() << "nu " << nu << ", zeta " << zeta);
      const float Z = static_cast<float>(zeta * kRadius);
      const Response r = evaluate(s, Z, 0.0f);
      const double z = static_cast<double>(Z) / kRadius;
      EXPECT_NEAR(r.SigmaZ(), boussinesq_sigma_z(z, kPressure), kDepthTail * kPressure);
      EXPECT_NEAR(r.SigmaR(), boussinesq_sigma_h(z, nu, kPressure), kDepthTail * kPressure);
      EXPECT_NEAR(r.SigmaT(), boussinesq_sigma_h(z, nu, kPressure), kDepthTail * kPressure);
      // The displacement brackets decay like the stress brackets; scale by
      // (1 + nu) q a / E, the size of the displacement integral's factor.
      const double disp_scale = (1.0 + double{nu}) * kPressure * kRadius / 300.0;
      EXPECT_NEAR(r.DispZ(), boussinesq_disp_z(z, nu, 300.0, kPressure, kRadius),
                  kDepthTail * disp_scale);
      // Vertical strain from the closed-form stresses by Hooke's law; the
      // stress tolerance carried through (1 + 2 nu)/E.
      const double ez = (boussinesq_sigma_z(z, kPressure) - 2.0 * double{nu} * boussinesq_sigma_h(z, nu, kPressure)) /
                        300.0;
      EXPECT_NEAR(r.epZ(), ez, kDepthTail * kPressure * (1.0 + 2.0 * double{nu}) / 300.0);
    }
  }
}

TEST(FinalHalfSpace, VerticalStressAtOneRadiusIsTheDocumentedValue) {
  const Response r = evaluate(homogeneous(0.35f), kRadiusF, 0.0f);
  EXPECT_NEAR(r.SigmaZ() / kPressure, -0.6464, kDepthTail);
}

TEST(FinalHalfSpace, SurfaceCentreDeflection) {
  for (float nu : {0.35f, 0.5f}) {
    SCOPED_TRACE(::testing::Message() << "nu " << nu);
    const Response r = evaluate(homogeneous(nu), 0.0f, 0.0f);
    const double expected = 2.0 * (1.0 - double{nu} * double{nu}) * kPressure * kRadius / 300.0;
    EXPECT_NEAR(r.DispZ(), expected, kSurfaceDispTail * expected);
  }
}

// Strains are Hooke's law of the point's own layer applied to the stored
// stresses.
TEST(FinalStrains, HookesLawOfThePointsLayer) {
  const Section s{3, {3000, 300, 60}, {0.35f, 0.35f, 0.4f}, {120, 250}};
  const Response r = evaluate(s, 200.0f, 0.7f * kRadiusF, 2);
  const double E = 300.0, nu = 0.35f;
  const double sz = r.SigmaZ(), st = r.SigmaT(), sr = r.SigmaR();
  // One float rounding of a value no larger than the stresses' sum over E.
  const double tol = double{FLT_EPSILON} * (std::fabs(sz) + std::fabs(st) + std::fabs(sr)) / E;
  EXPECT_NEAR(r.epZ(), (sz - nu * (sr + st)) / E, tol);
  EXPECT_NEAR(r.epT(), (st - nu * (sz + sr)) / E, tol);
  EXPECT_NEAR(r.epR(), (sr - nu * (st + sz)) / E, tol);
}

// ---------------------------------------------------------------------------
// The loaded surface.

TEST(FinalSurface, VerticalStressFollowsTheLoadAndShearVanishes) {
  // Shear at the surface is only the float rounding of the constants that
  // make the shear bracket vanish there: a few FLT_EPSILON per node over m
  // up to 150.
  const double shear_tol = kStopParameter * 4.0 * double{FLT_EPSILON} * kPressure;
  for (float nu : {0.35f, 0.5f}) {
    const Section s = homogeneous(nu);
    struct Case {
      double rho;
      double load_fraction;
    };
    for (const Case c : {Case{0.5, 1.0}, Case{1.0, 0.5}, Case{2.0, 0.0}}) {
      SCOPED_TRACE(::testing::Message() << "nu " << nu << ", rho " << c.rho);
      const Response r = evaluate(s, 0.0f, static_cast<float>(c.rho * kRadius));
      EXPECT_NEAR(r.SigmaZ(), -c.load_fraction * kPressure, surface_offset_tail(c.rho) * kPressure);
      EXPECT_NEAR(r.TaoRZ(), 0.0, shear_tol);
    }
    SCOPED_TRACE(::testing::Message() << "nu " << nu << ", on the axis");
    const Response centre = evaluate(s, 0.0f, 0.0f);
    EXPECT_NEAR(centre.SigmaZ(), -kPressure, kSurfaceAxisTail * kPressure);
    EXPECT_NEAR(centre.SigmaR(), boussinesq_sigma_h(0.0, nu, kPressure), kSurfaceAxisTail * kPressure);
    EXPECT_NEAR(centre.SigmaT(), boussinesq_sigma_h(0.0, nu, kPressure), kSurfaceAxisTail * kPressure);
  }
}

TEST(FinalTruncation, StopsAtTheDepthExponentOrAtTheSurfaceParameter) {
  // Each side of each switch: zeta*m against 7 (as the float product), the
  // surface zone's depth 0.045 inclusive, m against 150 inclusive.
  const float just_below_7 = std::nextafter(7.0f, 0.0f);
  const struct {
    float zeta, m;
    bool ends;
  } cases[] = {
      {1.0f, 7.0f, true},           {1.0f, just_below_7, false},
      {2.0f, 3.5f, true},           {0.5f, 13.9f, false},
      {0.045f, 150.0f, true},       {0.045f, std::nextafter(150.0f, 0.0f), false},
      {0.0f, 150.0f, true},         {0.0f, 1e6f, true},
      {0.0f, 149.9f, false},        {std::nextafter(0.045f, 1.0f), 150.0f, false},
      {0.046f, 152.2f, true},       {0.046f, 152.1f, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(integration_ends(c.zeta, c.m), c.ends) << "zeta " << c.zeta << ", m " << c.m;
  }
}

// Within 0.045 a the passes run to m = 150, just below it to zeta*m = 7:
// both sides of the switch give the half-space values at their depth, and
// the switch makes no step larger than the two truncations together.
TEST(FinalSurface, EitherSideOfTheSurfaceZoneMatchesTheHalfSpace) {
  const float nu = 0.35f;
  const Section s = homogeneous(nu);
  const float Z_in = (kSurfaceZoneDepth - 0.001f) * kRadiusF;
  const float Z_out = (kSurfaceZoneDepth + 0.001f) * kRadiusF;
  const Response in = evaluate(s, Z_in, 0.0f);
  const Response out = evaluate(s, Z_out, 0.0f);
  // At zeta = 0.044 the cut at m = 150 leaves the envelope (2 + 6.6)e^-6.6
  // times the Bessel amplitude 0.065 there: below the depth tail.
  for (const Response* r : {&in, &out}) {
    SCOPED_TRACE(::testing::Message() << "Z " << r->Z());
    EXPECT_TRUE(all_finite(*r));
    const double z = static_cast<double>(r->Z()) / kRadius;
    EXPECT_NEAR(r->SigmaZ(), boussinesq_sigma_z(z, kPressure), kDepthTail * kPressure);
    EXPECT_NEAR(r->SigmaR(), boussinesq_sigma_h(z, nu, kPressure), kDepthTail * kPressure);
    EXPECT_NEAR(r->SigmaT(), boussinesq_sigma_h(z, nu, kPressure), kDepthTail * kPressure);
    const double expected = boussinesq_disp_z(z, nu, 300.0, kPressure, kRadius);
    EXPECT_NEAR(r->DispZ(), expected, kDepthTail * expected);
  }
  // And both stay near the surface centre: they differ from it by the
  // half-space's own change over 0.046 a, within the truncations of both.
  const Response top = evaluate(s, 0.0f, 0.0f);
  const double z = static_cast<double>(Z_out) / kRadius;
  EXPECT_NEAR(out.SigmaZ() - top.SigmaZ(), boussinesq_sigma_z(z, kPressure) - (-kPressure),
              (kDepthTail + kSurfaceAxisTail) * kPressure);
  EXPECT_NEAR(out.SigmaR() - top.SigmaR(),
              boussinesq_sigma_h(z, nu, kPressure) - boussinesq_sigma_h(0.0, nu, kPressure),
              (kDepthTail + kSurfaceAxisTail) * kPressure);
  const double w0 = boussinesq_disp_z(0.0, nu, 300.0, kPressure, kRadius);
  EXPECT_NEAR(out.DispZ() - top.DispZ(), boussinesq_disp_z(z, nu, 300.0, kPressure, kRadius) - w0,
              (kDepthTail + kSurfaceDispTail) * w0);
  // Across the switch of the stop rule the results move only by the
  // half-space's change over 0.002 a (the horizontal stress, the steepest,
  // by (1 + nu) q per unit zeta), within both truncations.
  const double change = (1.0 + double{nu}) * kPressure * 0.002;
  EXPECT_NEAR(in.SigmaZ(), out.SigmaZ(), change + 2.0 * kDepthTail * kPressure);
  EXPECT_NEAR(in.SigmaR(), out.SigmaR(), change + 2.0 * kDepthTail * kPressure);
  EXPECT_NEAR(in.DispZ(), out.DispZ(), 2.0 * kDepthTail * w0);
}

// ---------------------------------------------------------------------------
// On the load axis.

TEST(FinalAxis, ShearIsExactlyZeroAndHorizontalStressesAgree) {
  const Section layered{3, {3000, 300, 60}, {0.35f, 0.35f, 0.4f}, {120, 250}};
  for (float Z : {0.5f * kRadiusF, 200.0f, 500.0f}) {
    SCOPED_TRACE(::testing::Message() << "Z " << Z);
    const Response r = evaluate(layered, Z, 0.0f);
    EXPECT_EQ(r.TaoRZ(), 0.0f);
    // SigmaR and SigmaT come from different interval lists: each carries its
    // own truncation error.
    EXPECT_NEAR(r.SigmaR(), r.SigmaT(), 2.0 * kDepthTail * kPressure);
  }
  const Response surface = evaluate(homogeneous(0.35f), 0.0f, 0.0f);
  EXPECT_EQ(surface.TaoRZ(), 0.0f);
  EXPECT_NEAR(surface.SigmaR(), surface.SigmaT(), 2.0 * kSurfaceAxisTail * kPressure);
}

// ---------------------------------------------------------------------------
// A point on a bonded interface, evaluated with the layer above and below.

TEST(FinalInterface, ContinuousQuantitiesAgreeAndHorizontalStressesJump) {
  const Section s{3, {3000, 300, 60}, {0.35f, 0.35f, 0.4f}, {120, 250}};
  struct Case {
    float Z;
    int upper;
  };
  for (const Case c : {Case{120.0f, 1}, Case{370.0f, 2}}) {
    for (float R : {0.0f, 155.0f}) {
      SCOPED_TRACE(::testing::Message() << "Z " << c.Z << ", R " << R);
      const Response up = evaluate(s, c.Z, R, c.upper);
      const Response low = evaluate(s, c.Z, R, c.upper + 1);
      const double E_low = s.E[c.upper];
      const double nu_low = s.Mu[c.upper];
      EXPECT_NEAR(up.SigmaZ(), low.SigmaZ(), kSumRounding * kPressure);
      EXPECT_NEAR(up.TaoRZ(), low.TaoRZ(), kSumRounding * kPressure);
      EXPECT_NEAR(up.DispZ(), low.DispZ(), kSumRounding * up.DispZ());
      // Strain agreement: the stress rounding through Hooke's law below.
      const double strain_tol = kSumRounding * kPressure * (1.0 + 2.0 * nu_low) / E_low;
      EXPECT_NEAR(up.epT(), low.epT(), strain_tol);
      EXPECT_NEAR(up.epR(), low.epR(), strain_tol);

      // Continuous horizontal strains and vertical stress fix the lower
      // side's horizontal stresses through the lower layer's moduli.
      const double sz = up.SigmaZ();
      const double rhs_r = E_low * up.epR() + nu_low * sz;
      const double rhs_t = E_low * up.epT() + nu_low * sz;
      const double predicted_r = (rhs_r + nu_low * rhs_t) / (1.0 - nu_low * nu_low);
      const double predicted_t = (rhs_t + nu_low * rhs_r) / (1.0 - nu_low * nu_low);
      EXPECT_NEAR(low.SigmaR(), predicted_r, kSumRounding * kPressure);
      EXPECT_NEAR(low.SigmaT(), predicted_t, kSumRounding * kPressure);
      // The stiffer layer above carries far larger horizontal stresses (5
      // and 10 times the modulus): jumps of at least 5 % of q.
      EXPECT_GT(std::fabs(up.SigmaR() - low.SigmaR()), 0.05 * kPressure);
      EXPECT_GT(std::fabs(up.SigmaT() - low.SigmaT()), 0.05 * kPressure);
      EXPECT_GT(std::fabs(up.epZ() - low.epZ()), 0.25 * std::fabs(up.epZ()));
    }
  }
}

// A five-layer section whose layer system is badly conditioned at small m:
// on the axis at the top of the subgrade the horizontal stresses must agree
// (a single-precision solve of the layer system gave -0.078 and +0.108 here).
TEST(FinalFiveLayer, HorizontalStressesAgreeOnTheAxisAboveTheSubgrade) {
  const Section s{5, {5000, 3000, 1000, 300, 80}, {0.35f, 0.35f, 0.25f, 0.35f, 0.40f}, {40, 100, 200, 250}};
  const Response r = evaluate(s, 590.0f, 0.0f, 4);
  EXPECT_NEAR(r.SigmaT(), r.SigmaR(), 0.005 * kPressure);
  // The converged values, 0.0159 and 0.0158 MPa.
  EXPECT_NEAR(r.SigmaT(), 0.0159, 0.005 * kPressure);
  EXPECT_NEAR(r.SigmaR(), 0.0158, 0.005 * kPressure);
}

// ---------------------------------------------------------------------------
// The row and the console.

constexpr float kSentinel = -8.125e7f;

ResultTable sentinel_table() {
  ResultTable table;
  table.cells.fill(kSentinel);
  return table;
}

struct Call {
  Section s;
  float Z;
  float R;
  int L;
};

std::string call_into(ResultTable& table, const Call& c, int K, const GaussOrderTable& N) {
  GaussRules g = ten_point_rules();
  g.N = N;
  const int bonded = kBondedInterfaces;
  std::ostringstream console;
  FINAL(c.Z, c.R, c.L, c.s.n, c.s.E, c.s.Mu, c.s.H, kRadiusF, kPressureF, g.x, g.w, g.N, bonded, K, table,
        console);
  return console.str();
}

TEST(FinalRow, OnlyRowKIsWrittenAndItDoesNotDependOnK) {
  const Call c{{3, {3000, 300, 60}, {0.35f, 0.35f, 0.4f}, {120, 250}}, 200.0f, 155.0f, 2};
  const GaussOrderTable N{10, 10, 10, 0, 0};
  ResultTable table = sentinel_table();
  const std::string first = call_into(table, c, 1, N);
  const std::string last = call_into(table, c, kResultRows, N);
  EXPECT_EQ(first, last);
  EXPECT_EQ(table.at(1, kColZ), 200.0f);
  EXPECT_EQ(table.at(1, kColR), 155.0f);
  for (int col = 1; col <= kResultColumns; ++col) {
    SCOPED_TRACE(::testing::Message() << "column " << col);
    EXPECT_NE(table.at(1, col), kSentinel);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(table.at(1, col)),
              std::bit_cast<std::uint32_t>(table.at(kResultRows, col)));
    for (int row = 2; row < kResultRows; ++row) {
      if (table.at(row, col) != kSentinel) ADD_FAILURE() << "row " << row << " was written";
    }
  }
}

TEST(FinalRow, TheRunsStoreGivesThePlainSolvesRowsAndLinesBitForBit) {
  // One store over a run's calls: both sides of an interface, a deeper point
  // at the same offset (a prefix of the same nodes), the second wheel's
  // offset, then another section through the same store.
  const Section s{3, {3000, 300, 60}, {0.35f, 0.35f, 0.4f}, {120, 250}};
  const Section other{3, {3000, 300, 61}, {0.35f, 0.35f, 0.4f}, {120, 250}};
  const std::array<Call, 5> calls{{{s, 120.0f, 155.0f, 1},
                                   {s, 120.0f, 155.0f, 2},
                                   {s, 400.0f, 155.0f, 3},
                                   {s, 120.0f, 155.0f, 1},
                                   {other, 120.0f, 155.0f, 1}}};
  const GaussRules g = ten_point_rules();
  const int bonded = kBondedInterfaces;
  ConstantsStore store;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const Call& c = calls[i];
    ResultTable plain;
    ResultTable stored;
    std::ostringstream plain_console;
    std::ostringstream stored_console;
    const int K = 1;
    FINAL(c.Z, c.R, c.L, c.s.n, c.s.E, c.s.Mu, c.s.H, kRadiusF, kPressureF, g.x, g.w, g.N, bonded,
          K, plain, plain_console);
    FINAL(c.Z, c.R, c.L, c.s.n, c.s.E, c.s.Mu, c.s.H, kRadiusF, kPressureF, g.x, g.w, g.N, bonded,
          K, stored, stored_console, store);
    EXPECT_EQ(stored.cells, plain.cells) << "call " << i;
    EXPECT_EQ(stored_console.str(), plain_console.str()) << "call " << i;
    EXPECT_GT(store.stored(), 0);
  }
}

// Arguments that would index a table beyond its capacity leave the table
// and the console untouched.
TEST(FinalRow, OutOfRangeArgumentsWriteNothing) {
  const Section s{3, {3000, 300, 60}, {0.35f, 0.35f, 0.4f}, {120, 250}};
  const GaussOrderTable good{10, 10, 10, 0, 0};
  struct Bad {
    Call c;
    int K;
    GaussOrderTable N;
  };
  const Section one_layer{1, s.E, s.Mu, s.H};
  const Section six_layers{6, s.E, s.Mu, s.H};
  for (const Bad& b : {Bad{{s, 200.0f, 0.0f, 2}, 0, good}, Bad{{s, 200.0f, 0.0f, 2}, kResultRows + 1, good},
                       Bad{{s, 200.0f, 0.0f, 0}, 1, good}, Bad{{s, 200.0f, 0.0f, 4}, 1, good},
                       Bad{{one_layer, 200.0f, 0.0f, 1}, 1, good}, Bad{{six_layers, 200.0f, 0.0f, 2}, 1, good},
                       Bad{{s, 200.0f, 0.0f, 2}, 1, {10, 11, 10, 0, 0}},
                       Bad{{s, 200.0f, 0.0f, 2}, 1, {10, 10, -1, 0, 0}}}) {
    SCOPED_TRACE(::testing::Message() << "K " << b.K << ", L " << b.c.L << ", n " << b.c.s.n);
    ResultTable table = sentinel_table();
    EXPECT_EQ(call_into(table, b.c, b.K, b.N), "");
    for (float v : table.cells) {
      if (v != kSentinel) {
        ADD_FAILURE() << "table written";
        break;
      }
    }
  }
}

TEST(FinalConsole, FiveLabelledLinesOfTheStoredValues) {
  const Section s{3, {3000, 300, 60}, {0.35f, 0.35f, 0.4f}, {120, 250}};
  for (float R : {0.0f, 155.0f}) {
    SCOPED_TRACE(::testing::Message() << "R " << R);
    const Response r = evaluate(s, 200.0f, R, 2);
    const std::string expected = " Sigma Z value=" + format_free_real(static_cast<float>(r.SigmaZ())) + "\n" +
                                 " Sigma T value=" + format_free_real(static_cast<float>(r.SigmaT())) + "\n" +
                                 " Sigma R value=" + format_free_real(static_cast<float>(r.SigmaR())) + "\n" +
                                 " Disp  Z value=" + format_free_real(static_cast<float>(r.DispZ())) + "\n" +
                                 " Tao  RZ value=" + format_free_real(static_cast<float>(r.TaoRZ())) + "\n";
    EXPECT_EQ(r.console, expected);
    if (R == 0.0f) {
      EXPECT_NE(r.console.find("\n Tao  RZ value=  0.0000000E+00\n"), std::string::npos) << r.console;
    }
  }
}

// ---------------------------------------------------------------------------
// Deep points: beyond about 46 radii exp(zeta m) overflows single precision
// on the first interval, the only one integrated there.

// The half-space integrals at a deep point, as the method takes them: the
// first non-empty interval of the axis lists is [0, j0_1/2] (j0_1 = 2.4048,
// the smallest zero of J0 or J1), and the pass ends after it; the three
// rules are the same ten-point rule here. Summed here in
// double with the closed-form homogeneous brackets (1 + t)e^-t for SigmaZ
// and -(2 - 2nu + t)e^-t/m for the displacement.
struct DeepAxisOracle {
  double SigmaZ;
  double DispZ;
};

DeepAxisOracle deep_axis_oracle(double zeta, double nu, double E) {
  const GaussRules g = ten_point_rules();
  const double hi = static_cast<double>(static_cast<float>(2.404825557695773)) / 2.0;
  const double half = hi / 2.0;
  double I1 = 0.0;
  double I4 = 0.0;
  for (int j = 1; j <= 10; ++j) {
    const double m = static_cast<float>(half * double{g.x[j - 1]} + half);
    const double t = zeta * m;
    const double J1 = std::cyl_bessel_j(1.0, m);
    I1 += double{g.w[j - 1]} * (1.0 + t) * std::exp(-t) * J1;
    I4 += double{g.w[j - 1]} * -(2.0 - 2.0 * nu + t) * std::exp(-t) / m * J1;
  }
  I1 *= half;
  I4 *= half;
  return {-kPressure * I1, -((1.0 + nu) / E) * kPressure * kRadius * I4};
}

TEST(FinalDeep, HalfSpaceBeyondTheOverflowDepthStaysFiniteAndCorrect) {
  const float nu = 0.35f;
  const Section s = homogeneous(nu);
  const Response shallower = evaluate(s, 4.0f * kRadiusF, 0.0f);
  for (double zeta : {60.0, 200.0}) {
    SCOPED_TRACE(::testing::Message() << "zeta " << zeta);
    const float Z = static_cast<float>(zeta * kRadius);
    const Response r = evaluate(s, Z, 0.0f);
    EXPECT_TRUE(all_finite(r));
    const double z = static_cast<double>(Z) / kRadius;
    // Tiny but compressive, and close to Boussinesq on the scale of q.
    EXPECT_LT(r.SigmaZ(), 0.0f);
    EXPECT_NEAR(r.SigmaZ(), boussinesq_sigma_z(z, kPressure), kDepthTail * kPressure);
    EXPECT_GT(r.DispZ(), 0.0f);
    EXPECT_LT(r.DispZ(), shallower.DispZ());
    // One interval with ten nodes cannot resolve the decay length 1/zeta
    // (at 200 radii the first node already sits at zeta*m = 3): what the
    // rule yields there is checked against the same rule summed in double.
    // Bessel values near m = 0 are good to float precision; the float
    // roundings of zeta, m and t = zeta*m shift exp(-t) by a few
    // t*FLT_EPSILON with t of a few units at the nodes that carry the sum.
    const double deep_rounding = 100.0 * double{FLT_EPSILON};
    const DeepAxisOracle o = deep_axis_oracle(z, nu, 300.0);
    EXPECT_NEAR(r.SigmaZ(), o.SigmaZ, deep_rounding * std::fabs(o.SigmaZ));
    EXPECT_NEAR(r.DispZ(), o.DispZ, deep_rounding * o.DispZ);
  }
}


// Inside a finite layer the growing terms are the layer constants times
// exp(zeta m); the solve leaves the constants with an error of about 1e-16
// of the decaying ones, which exp(zeta m) amplifies with depth (on the first
// interval m reaches 1.9). The driver therefore evaluates points inside a
// finite layer only down to 15 contact radii; this test shows the results
// still hold there, in a thick subgrade over a stiff bottom, by the axis
// identity SigmaR = SigmaT.
TEST(FinalDeep, ThickFiniteLayerIsAccurateDownToFifteenRadii) {
  const Section s{3, {3000, 80, 5000}, {0.35f, 0.4f, 0.35f}, {200, 6000}};
  for (double zeta : {5.0, 10.0, 15.0}) {
    SCOPED_TRACE(::testing::Message() << "zeta " << zeta);
    const Response r = evaluate(s, static_cast<float>(zeta * kRadius), 0.0f, 2);
    EXPECT_TRUE(all_finite(r));
    EXPECT_NEAR(r.SigmaR(), r.SigmaT(), 2.0 * kDepthTail * kPressure);
    EXPECT_GT(r.DispZ(), 0.0f);
  }
}

}  // namespace
}  // namespace kestral
