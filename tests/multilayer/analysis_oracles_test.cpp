// analyse() against oracles independent of its formulation: equilibrium of a
// wide horizontal plane, mirror symmetry of two equal loads, the conditions
// of every interface kind checked from the rows on both faces, the spring's
// limits, Boussinesq through a stack of identical layers, the legacy FINAL at
// interior points, and the sign conventions of the public header.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <ostream>
#include <streambuf>
#include <vector>

#include "hankel/final.h"
#include "layered/abcd.h"
#include "multilayer/analysis.h"
#include "tests/multilayer/boussinesq.h"

namespace kestral::multilayer {
namespace {

Layer layer(double e, double nu, double h, InterfaceKind kind = InterfaceKind::bonded, double k = 0) {
  return Layer{e, nu, h, Interface{kind, k}};
}

const Load kWheel = Load::from_force(0, 0, 20000, 0.56);

TEST(AnalysisOracles, WidePlaneCarriesTheTotalLoad) {
  const Section s{{layer(3000, 0.35, 150), layer(300, 0.4, 300, InterfaceKind::frictionless), layer(60, 0.45, 0)}};
  const double z = 600;
  // sigma_zz r dr over [0, 60 z] by 8-point Gauss-Legendre on panels growing
  // by 1.5; beyond 60 z the half-space far field (z^3 / R^5) leaves
  // (1/60)^3 = 5e-6 of the load.
  const double x8[] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363};
  const double w8[] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};
  std::vector<double> ends{0, 50, 100, 200};
  while (ends.back() < 60 * z) ends.push_back(ends.back() * 1.5);
  std::vector<Point> points;
  std::vector<double> weights;
  for (std::size_t p = 0; p + 1 < ends.size(); ++p) {
    const double half = (ends[p + 1] - ends[p]) / 2, mid = (ends[p + 1] + ends[p]) / 2;
    for (int i = 0; i < 4; ++i) {
      for (int sign : {-1, 1}) {
        const double r = mid + sign * half * x8[i];
        points.push_back({r, 0, z});
        weights.push_back(half * w8[i] * 2 * std::numbers::pi * r);
      }
    }
  }
  Options options;
  options.threads = 2;
  const std::vector<Result> rows = analyse(s, {kWheel}, points, options);
  double force = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) force += weights[i] * rows[i].stress.zz;
  std::printf("force on the plane z = %g over the load: %.9f\n", z, -force / 20000.0);
  EXPECT_NEAR(-force / 20000.0, 1.0, 2e-5);
}

TEST(AnalysisOracles, TwoEqualLoadsAreSymmetricAboutTheirMidplane) {
  const Section s{{layer(3000, 0.35, 120, InterfaceKind::spring, 2.0), layer(400, 0.4, 250), layer(80, 0.45, 0)}};
  const std::vector<Load> loads{Load::from_force(-160, 0, 20000, 0.56), Load::from_force(160, 0, 20000, 0.56)};
  std::vector<Point> points;
  for (double x : {0.0, 37.0, 160.0, 400.0}) {
    for (double z : {0.0, 60.0, 120.0, 700.0}) {
      points.push_back({x, 25.0, z, Side::below});
      points.push_back({-x, 25.0, z, Side::below});
      points.push_back({x, -25.0, z, Side::below});
    }
  }
  const auto rows = analyse(s, loads, points);
  for (std::size_t i = 0; i < rows.size(); i += 3) {
    const Result &a = rows[i], &b = rows[i + 1], &c = rows[i + 2];
    // The same nodes at mirrored distances: equal to a few rounding units.
    const double t = 1e-14;
    EXPECT_NEAR(a.stress.xx, b.stress.xx, t);
    EXPECT_NEAR(a.stress.xy, -b.stress.xy, t);
    EXPECT_NEAR(a.stress.xz, -b.stress.xz, t);
    EXPECT_NEAR(a.stress.yz, b.stress.yz, t);
    EXPECT_NEAR(a.displacement.x, -b.displacement.x, t);
    EXPECT_NEAR(a.stress.yz, -c.stress.yz, t);
    EXPECT_NEAR(a.stress.xy, -c.stress.xy, t);
    EXPECT_NEAR(a.displacement.y, -c.displacement.y, t);
    EXPECT_NEAR(a.displacement.z, c.displacement.z, t);
  }
}

// Conditions of each interface from the two rows of a point on it: within
// the sum of the two rows' error estimates.
TEST(AnalysisOracles, InterfaceConditionsHoldOnBothFaces) {
  const double k = 3.0;
  const Section s{{layer(3000, 0.35, 100, InterfaceKind::frictionless), layer(5000, 0.3, 120, InterfaceKind::spring, k),
                   layer(300, 0.5, 200), layer(50, 0.4, 0)}};
  const std::vector<Load> loads{kWheel, Load::from_force(310, 40, 25000, 0.7)};
  std::vector<Point> points;
  for (double z : {100.0, 220.0, 420.0}) {
    for (double x : {0.0, 80.0, 155.0, 600.0}) points.push_back({x, 30.0, z});
  }
  const auto rows = analyse(s, loads, points);
  ASSERT_EQ(rows.size(), 2 * points.size());
  for (std::size_t i = 0; i < rows.size(); i += 2) {
    const Result &up = rows[i], &down = rows[i + 1];
    ASSERT_EQ(up.face, Face::above);
    ASSERT_EQ(down.face, Face::below);
    ASSERT_EQ(up.layer + 1, down.layer);
    const double es = up.stress_error + down.stress_error;
    const double eu = up.displacement_error + down.displacement_error;
    const double ee = up.strain_error + down.strain_error;
    EXPECT_NEAR(up.stress.zz, down.stress.zz, es);
    EXPECT_NEAR(up.displacement.z, down.displacement.z, eu);
    switch (s.layers[static_cast<std::size_t>(up.layer)].below.kind) {
      case InterfaceKind::frictionless:
        EXPECT_NEAR(up.stress.xz, 0, up.stress_error);
        EXPECT_NEAR(down.stress.yz, 0, down.stress_error);
        EXPECT_NEAR(down.stress.xz, 0, down.stress_error);
        break;
      case InterfaceKind::spring:
        EXPECT_NEAR(up.stress.xz, down.stress.xz, es);
        EXPECT_NEAR(up.stress.xz, k * (down.displacement.x - up.displacement.x), es + k * eu);
        EXPECT_NEAR(up.stress.yz, k * (down.displacement.y - up.displacement.y), es + k * eu);
        break;
      case InterfaceKind::bonded:
        EXPECT_NEAR(up.stress.xz, down.stress.xz, es);
        EXPECT_NEAR(up.stress.yz, down.stress.yz, es);
        EXPECT_NEAR(up.displacement.x, down.displacement.x, eu);
        EXPECT_NEAR(up.displacement.y, down.displacement.y, eu);
        // Horizontal strains follow from the continuous displacements.
        EXPECT_NEAR(up.strain.xx, down.strain.xx, ee);
        EXPECT_NEAR(up.strain.xy, down.strain.xy, ee);
        break;
    }
  }
}

TEST(AnalysisOracles, SpringLimitsAreFrictionlessAndBonded) {
  auto with = [](InterfaceKind kind, double k) {
    return Section{{layer(3000, 0.35, 120, kind, k), layer(300, 0.4, 300), layer(60, 0.45, 0)}};
  };
  const std::vector<Point> points{{0, 0, 60}, {120, 0, 120, Side::both}, {200, 50, 400}};
  const auto soft = analyse(with(InterfaceKind::spring, 1e-9), {kWheel}, points);
  const auto loose = analyse(with(InterfaceKind::frictionless, 0), {kWheel}, points);
  const auto stiff = analyse(with(InterfaceKind::spring, 1e9), {kWheel}, points);
  const auto bonded = analyse(with(InterfaceKind::bonded, 0), {kWheel}, points);
  for (std::size_t i = 0; i < soft.size(); ++i) {
    // The departure is of order k a / E (1e-10) or E / (k a) (1e-8).
    EXPECT_NEAR(soft[i].stress.xx, loose[i].stress.xx, 1e-6 * 0.56);
    EXPECT_NEAR(soft[i].stress.xz, loose[i].stress.xz, 1e-6 * 0.56);
    EXPECT_NEAR(stiff[i].stress.xx, bonded[i].stress.xx, 1e-6 * 0.56);
    EXPECT_NEAR(stiff[i].stress.xz, bonded[i].stress.xz, 1e-6 * 0.56);
    EXPECT_NEAR(stiff[i].displacement.x, bonded[i].displacement.x, 1e-6 * 0.56 * kWheel.radius / 60);
  }
}

TEST(AnalysisOracles, StackOfIdenticalLayersIsBoussinesq) {
  const double nu = 0.5, E = 150;
  const Section s{{layer(E, nu, 80, InterfaceKind::bonded), layer(E, nu, 200), layer(E, nu, 0)}};
  const double a = kWheel.radius, q = kWheel.pressure;
  std::vector<Point> points;
  for (double z : {0.0, 40.0, 80.0, 150.0, 280.0, 1000.0, 100 * a}) points.push_back({0, 0, z, Side::below});
  for (const auto& xyz : {std::array<double, 3>{0.5 * a, 0, 0.5 * a}, {1.2 * a, 0.3 * a, a}, {3 * a, 0, 2 * a},
                          {20 * a, 5 * a, 0.6 * a}, {0.2 * a, 0.1 * a, 4 * a}})
    points.push_back({xyz[0], xyz[1], xyz[2]});
  const auto rows = analyse(s, {kWheel}, points);
  for (const Result& r : rows) {
    const Point& p = points[r.point];
    SCOPED_TRACE(p.z);
    // Every value within 1e-6 of its scale, and of its own estimate.
    const double ts = std::max(1e-9 * q, r.stress_error), tu = std::max(1e-9 * q * a / E, r.displacement_error);
    EXPECT_LE(r.stress_error, 1e-6 * q);
    if (p.x == 0) {
      const auto b = testing::boussinesq_axis(q, a, p.z, E, nu);
      EXPECT_NEAR(r.stress.zz, b.sigma_z, ts);
      EXPECT_NEAR(r.stress.xx, b.sigma_r, ts);
      EXPECT_NEAR(r.stress.yy, b.sigma_r, ts);
      EXPECT_NEAR(r.displacement.z, b.u_z, tu);
      // At nu = 0.5 the volume is kept: exx + eyy + ezz = 0.
      EXPECT_NEAR(r.strain.xx + r.strain.yy + r.strain.zz, 0.0, 3 * r.strain_error);
    } else {
      const auto b = testing::disc_by_point_loads(q, a, p.x, p.y, p.z, E, nu);
      // The point-load quadrature adds its own 1e-10 of q.
      EXPECT_NEAR(r.stress.zz, b.sigma_z, ts + 1e-10 * q);
      EXPECT_NEAR(r.stress.xz, b.tau_xz, ts + 1e-10 * q);
      EXPECT_NEAR(r.stress.yz, b.tau_yz, ts + 1e-10 * q);
      EXPECT_NEAR(r.stress.xx + r.stress.yy, b.horizontal_sum, 2 * ts + 1e-10 * q);
      EXPECT_NEAR(r.displacement.x, b.u_x, tu + 1e-10 * q * a / E);
      EXPECT_NEAR(r.displacement.z, b.u_z, tu + 1e-10 * q * a / E);
      // The header's convention: sxz < 0 for x > 0 below the surface.
      EXPECT_LT(r.stress.xz, 0.0);
    }
  }
}

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

TEST(AnalysisOracles, LegacyFinalAgreesAtInteriorPointsWithinItsError) {
  // The benchmark's section, in single precision for the legacy routine.
  const LayerTable E{4000, 400, 200, 60}, Mu{0.35f, 0.35f, 0.35f, 0.40f}, H{120, 200, 250};
  const float a = 106.6255f, q = 0.56f;
  GaussNodeTable x{}, w{};
  const GaussOrderTable N{10, 10, 10, 0, 0};
  const float hx[5] = {-0.9739065285f, -0.8650633667f, -0.6794095683f, -0.4333953941f, -0.1488743390f};
  const float hw[5] = {0.0666713443f, 0.1494513492f, 0.2190863625f, 0.2692667193f, 0.2955242247f};
  for (int rule = 0; rule < 3; ++rule) {
    for (int j = 0; j < 5; ++j) {
      x[rule * 10 + j] = hx[j], w[rule * 10 + j] = hw[j];
      x[rule * 10 + 9 - j] = -hx[j], w[rule * 10 + 9 - j] = hw[j];
    }
  }
  Section s;
  for (int i = 0; i < 4; ++i) s.layers.push_back(layer(E[i], Mu[i], i < 3 ? H[i] : 0));
  const Load load{0, 0, a, q};
  NullBuffer sink;
  std::ostream console(&sink);
  struct Where {
    float z, r;
    int layer;
  };
  for (const Where p : {Where{60, 0, 1}, Where{60, 155, 1}, Where{250, 50, 2}, Where{400, 200, 3}, Where{800, 155, 4}}) {
    ResultTable results;
    FINAL(p.z, p.r, p.layer, 4, E, Mu, H, a, q, x, w, N, kBondedInterfaces, 1, results, console);
    const auto rows = analyse(s, {load}, {{p.r, 0, p.z}});
    const Result& r = rows[0];
    // FINAL stops where exp(-z m / a) < 1e-3: its tail is up to (2 + 7) e^-7
    // of q (tests/hankel/final_test.cpp), and its float constants add 1e-5.
    const double bound = (9 * std::exp(-7.0) + 1e-5) * double(q);
    SCOPED_TRACE(p.z);
    std::printf("legacy - engine at z %g r %g: SigmaZ %.2e SigmaR %.2e SigmaT %.2e DispZ %.2e (TaoRZ %.4e, sxz %.4e)\n", double(p.z), double(p.r),
                double(results.at(1, kColSigmaZ)) - r.stress.zz, double(results.at(1, kColSigmaR)) - r.stress.xx,
                double(results.at(1, kColSigmaT)) - r.stress.yy, double(results.at(1, kColDispZ)) - r.displacement.z,
                double(results.at(1, kColTaoRZ)), r.stress.xz);
    EXPECT_NEAR(double(results.at(1, kColSigmaZ)), r.stress.zz, bound);
    EXPECT_NEAR(double(results.at(1, kColSigmaR)), r.stress.xx, bound);
    EXPECT_NEAR(double(results.at(1, kColSigmaT)), r.stress.yy, bound);
    EXPECT_NEAR(double(results.at(1, kColTaoRZ)), r.stress.xz, bound);  // the same sign convention
    EXPECT_NEAR(double(results.at(1, kColDispZ)), r.displacement.z, bound * double(a) / 60);
  }
}

}  // namespace
}  // namespace kestral::multilayer
