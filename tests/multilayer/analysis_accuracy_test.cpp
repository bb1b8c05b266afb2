// Accuracy at the default tolerance against the converged solution (the same
// problem at tolerance 1e-12): every value of every row within 1e-6 of its
// scale, and every error estimate at least the actual error, on a table of
// points that covers the surface inside, at and outside the loaded circles,
// interfaces, layer interiors, and points 100 radii deep and 100 radii off,
// for sections with all three interface kinds and nu = 0.5.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "multilayer/analysis.h"

namespace kestral::multilayer {
namespace {

struct Case {
  std::string name;
  Section section;
  std::vector<Load> loads;
};

Layer layer(double e, double nu, double h, InterfaceKind kind = InterfaceKind::bonded, double k = 0) {
  return Layer{e, nu, h, Interface{kind, k}};
}

std::vector<Case> cases() {
  const Load wheel = Load::from_force(0, 0, 20000, 0.56);
  const double a = wheel.radius;
  return {
      {"four_layer_bonded",
       {{layer(4000, 0.35, 120), layer(400, 0.35, 200), layer(200, 0.35, 250), layer(60, 0.40, 0)}},
       {wheel}},
      {"debonded_overlay_dual",
       {{layer(3000, 0.35, 50, InterfaceKind::frictionless), layer(5000, 0.30, 150), layer(300, 0.40, 300),
         layer(50, 0.45, 0)}},
       {wheel, Load::from_force(310, 0, 20000, 0.56)}},
      {"spring_on_incompressible",
       {{layer(2000, 0.5, 100, InterfaceKind::spring, 5.0), layer(200, 0.3, 400), layer(40, 0.5, 0)}},
       {wheel, Load{-100, 250, 0.6 * a, 0.9}}},
      {"thin_top_tandem",
       {{layer(6000, 0.35, 20), layer(400, 0.35, 250, InterfaceKind::spring, 1e4), layer(80, 0.4, 0)}},
       {wheel, Load::from_force(0, 1300, 20000, 0.56)}},
  };
}

std::vector<Point> points_for(const Case& c) {
  const double a = c.loads.front().radius;
  std::vector<Point> points;
  // Surface: axis, inside, just inside / on / just outside the edge, outside.
  for (double r : {0.0, 0.5 * a, a * (1 - 1e-9), a, a * (1 + 1e-9), 1.5 * a, 5 * a, 100 * a})
    points.push_back({r, 0, 0});
  // Near the surface close to the edge.
  for (double z : {1e-6 * a, 1e-3 * a, 0.05 * a}) points.push_back({a, 0, z});
  // Every interface, both faces, on the axis and off it.
  double depth = 0;
  for (std::size_t i = 0; i + 1 < c.section.layers.size(); ++i) {
    depth += c.section.layers[i].thickness;
    points.push_back({0, 0, depth});
    points.push_back({1.3 * a, 0.4 * a, depth});
    points.push_back({0.2 * a, 0, depth * 0.5});
  }
  // Deep and far.
  points.push_back({0, 0, 100 * a});
  points.push_back({100 * a, 0, 100 * a});
  points.push_back({30 * a, 20 * a, 3 * a});
  points.push_back({100 * a, 0, 0.5 * a});
  return points;
}

double worst(const SymmetricTensor& a, const SymmetricTensor& b) {
  return std::max({std::fabs(a.xx - b.xx), std::fabs(a.yy - b.yy), std::fabs(a.zz - b.zz), std::fabs(a.xy - b.xy),
                   std::fabs(a.yz - b.yz), std::fabs(a.xz - b.xz)});
}
double worst(const Vector3& a, const Vector3& b) {
  return std::max({std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
}

TEST(AnalysisAccuracy, DefaultToleranceWithinTheTargetOfTheConvergedSolutionAndWithinItsEstimate) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    const std::vector<Point> points = points_for(c);
    const std::vector<Result> rows = analyse(c.section, c.loads, points);
    Options fine;
    fine.tolerance = 1e-12;
    const std::vector<Result> converged = analyse(c.section, c.loads, points, fine);
    ASSERT_EQ(rows.size(), converged.size());
    double q = 0, a = 0, e = 1e300;
    for (const Load& l : c.loads) q = std::max(q, l.pressure), a = std::max(a, l.radius);
    for (const Layer& l : c.section.layers) e = std::min(e, l.modulus);
    const double stress_scale = q, displacement_scale = q * a / e, strain_scale = q / e;
    double worst_ratio = 0, worst_estimate = 0, least_margin = 1e300;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Result& r = rows[i];
      const Result& ref = converged[i];
      const Point& p = points[r.point];
      SCOPED_TRACE("point " + std::to_string(r.point) + " x " + std::to_string(p.x) + " z " + std::to_string(p.z) +
                   " face " + std::to_string(static_cast<int>(r.face)));
      const double ds = std::max(worst(r.stress, ref.stress), worst(r.principal_stress, ref.principal_stress));
      const double du = worst(r.displacement, ref.displacement);
      const double de = std::max({worst(r.strain, ref.strain), worst(r.principal_strain, ref.principal_strain),
                                  std::fabs(r.horizontal_strain_max - ref.horizontal_strain_max)});
      worst_ratio = std::max({worst_ratio, ds / stress_scale, du / displacement_scale, de / strain_scale});
      worst_estimate = std::max({worst_estimate, r.stress_error / stress_scale, r.displacement_error / displacement_scale});
      if (ds > 0) least_margin = std::min(least_margin, r.stress_error / ds);
      // The target of the engine: 1e-6 of each scale at tolerance 1e-8.
      EXPECT_LE(ds, 1e-6 * stress_scale);
      EXPECT_LE(du, 1e-6 * displacement_scale);
      EXPECT_LE(de, 1e-6 * strain_scale);
      // The estimate bounds the actual error (that of the converged
      // solution, bounded by its own estimate, added).
      EXPECT_LE(ds, r.stress_error + ref.stress_error);
      EXPECT_LE(du, r.displacement_error + ref.displacement_error);
      EXPECT_LE(de, r.strain_error + ref.strain_error);
      // And the estimate is not absurdly pessimistic: within the tolerance.
      EXPECT_LE(r.stress_error, 1e-6 * stress_scale);
      EXPECT_LE(r.displacement_error, 1e-6 * displacement_scale);
    }
    std::printf("%s: worst change to the converged solution %.2e of its scale, largest estimate %.2e, "
                "smallest stress estimate / actual %.1f\n",
                c.name.c_str(), worst_ratio, worst_estimate, least_margin);
  }
}

}  // namespace
}  // namespace kestral::multilayer
