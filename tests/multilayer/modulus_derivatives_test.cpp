// The derivatives of the rows by each layer's modulus against central
// differences of analyse(), and the rows beside them against analyse() bit
// for bit.
//
// Tolerance: at tolerance 1e-12 each value is within its estimate (about
// 1e-12 of its scale) of the exact integral, and a nudged modulus may move
// the panels, so the difference quotient with step h E carries up to
// 2e-12 / (2 h) = 1e-8 of the scale per unit E; its truncation, h^2 / 6 of
// the third derivative, is about 1e-9 of the derivative. Both well below
// 1e-7 of the quantity's scale (q for stresses, q a / E_min for
// displacements, q / E_min for strains) per unit of E_l, the bound used.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "multilayer/analysis.h"
#include "tests/multilayer/result_bits.h"

namespace kestral::multilayer {
namespace {

constexpr double kStep = 1e-4;       // relative step of the central difference
constexpr double kBound = 1e-7;      // of the scale per unit modulus (header)

struct Case {
  const char* name;
  Section section;
  std::vector<Load> loads;
  std::vector<Point> points;
};

std::vector<Case> cases() {
  std::vector<Point> bowl;
  for (double r : {0.0, 300.0, 900.0, 1500.0}) bowl.push_back({r, 0, 0});
  std::vector<Point> inside;  // every layer, both faces of an interface, off axis
  for (double z : {0.0, 60.0, 100.0, 200.0, 300.0, 700.0})
    for (double x : {0.0, 250.0}) inside.push_back({x, 90.0, z});
  const Load plate{0, 0, 150, 0.566};
  Section frictionless{{Layer{3000, 0.35, 100, {InterfaceKind::frictionless}}, Layer{400, 0.4, 200}, Layer{80, 0.5, 0}}};
  return {
      {"frictionless under a dual wheel", frictionless,
       {Load::from_force(0, -155, 20000, 0.7), Load::from_force(0, 155, 20000, 0.7)}, inside},
      {"FWD bowl", Section{{Layer{3000, 0.35, 150}, Layer{300, 0.35, 300}, Layer{80, 0.45, 0}}}, {plate}, bowl},
      {"spring and frictionless under a dual wheel",
       Section{{Layer{3000, 0.35, 100, {InterfaceKind::spring, 4.0}}, Layer{400, 0.4, 200, {InterfaceKind::frictionless}},
                Layer{80, 0.5, 0}}},
       {Load::from_force(0, -155, 20000, 0.7), Load::from_force(0, 155, 20000, 0.7)},
       inside},
      {"half-space", Section{{Layer{120, 0.3, 0}}}, {plate}, {{0, 0, 0}, {200, 0, 100}}},
  };
}

std::vector<double> components(const Result& r) {
  return {r.stress.xx, r.stress.yy, r.stress.zz, r.stress.xy, r.stress.yz, r.stress.xz,
          r.displacement.x, r.displacement.y, r.displacement.z,
          r.strain.xx, r.strain.yy, r.strain.zz, r.strain.xy, r.strain.yz, r.strain.xz};
}

TEST(ModulusDerivatives, AgreeWithCentralDifferences) {
  Options options;
  options.tolerance = 1e-12;
  for (const Case& c : cases()) {
    const PreparedGeometry prepared(c.loads, c.points, options);
    const ModulusDerivatives got = prepared.analyse_with_derivatives(c.section);
    EXPECT_EQ(result_bits(got.rows), result_bits(prepared.analyse(c.section))) << c.name;
    ASSERT_EQ(got.by_modulus.size(), c.section.layers.size());
    double q = 0, a = 0, e_min = c.section.layers[0].modulus;
    for (const Load& l : c.loads) q = std::max(q, l.pressure), a = std::max(a, l.radius);
    for (const Layer& l : c.section.layers) e_min = std::min(e_min, l.modulus);
    const double scales[] = {q, q * a / e_min, q / e_min};  // stress, displacement, strain
    for (std::size_t l = 0; l < c.section.layers.size(); ++l) {
      const double E = c.section.layers[l].modulus;
      Section up = c.section, down = c.section;
      up.layers[l].modulus = E * (1.0 + kStep);
      down.layers[l].modulus = E * (1.0 - kStep);
      const auto plus = prepared.analyse(up);
      const auto minus = prepared.analyse(down);
      ASSERT_EQ(got.by_modulus[l].size(), got.rows.size());
      for (std::size_t i = 0; i < got.rows.size(); ++i) {
        const auto d = components(got.by_modulus[l][i]);
        const auto p = components(plus[i]);
        const auto m = components(minus[i]);
        for (std::size_t k = 0; k < d.size(); ++k) {
          const double difference = (p[k] - m[k]) / (2.0 * kStep * E);
          const double bound = kBound * scales[k < 6 ? 0 : k < 9 ? 1 : 2] / E;
          EXPECT_NEAR(d[k], difference, bound) << c.name << ", layer " << l + 1 << ", row " << i << ", component " << k;
        }
        EXPECT_EQ(got.by_modulus[l][i].point, got.rows[i].point);
        EXPECT_EQ(got.by_modulus[l][i].face, got.rows[i].face);
      }
    }
  }
}

// Moduli scaled together by s scale displacements and strains by 1 / s and
// leave stresses: sum_l E_l d/dE_l = -(displacement, strain), 0 for stress
// (Euler's theorem for a function homogeneous of degree -1 or 0). Not with a
// spring interface: its stiffness does not scale with the moduli.
TEST(ModulusDerivatives, SatisfyEulersTheoremForHomogeneity) {
  for (const Case& c : cases()) {
    const auto spring = [](const Layer& l) { return l.below.kind == InterfaceKind::spring; };
    if (std::any_of(c.section.layers.begin(), c.section.layers.end() - 1, spring)) continue;
    const ModulusDerivatives got = PreparedGeometry(c.loads, c.points).analyse_with_derivatives(c.section);
    double q = 0, a = 0, e_min = c.section.layers[0].modulus;
    for (const Load& l : c.loads) q = std::max(q, l.pressure), a = std::max(a, l.radius);
    for (const Layer& l : c.section.layers) e_min = std::min(e_min, l.modulus);
    const double scales[] = {q, q * a / e_min, q / e_min};
    for (std::size_t i = 0; i < got.rows.size(); ++i) {
      const auto value = components(got.rows[i]);
      std::vector<double> sum(value.size(), 0.0);
      for (std::size_t l = 0; l < c.section.layers.size(); ++l) {
        const auto d = components(got.by_modulus[l][i]);
        for (std::size_t k = 0; k < d.size(); ++k) sum[k] += c.section.layers[l].modulus * d[k];
      }
      for (std::size_t k = 0; k < value.size(); ++k) {
        const double expected = k < 6 ? 0.0 : -value[k];
        // The derivatives carry the quadrature error of the values (default
        // tolerance 1e-8 of the scale) and the tail left out: 1e-7 of it.
        EXPECT_NEAR(sum[k], expected, 1e-7 * scales[k < 6 ? 0 : k < 9 ? 1 : 2]) << c.name << ", row " << i << ", " << k;
      }
    }
  }
}

}  // namespace
}  // namespace kestral::multilayer
