// The store of panels: nodes at the Kronrod points of the dyadic panel asked
// for, constants equal to a fresh solve, J1(m a) per radius, one entry per
// key, and the per-point kernels forgotten between points.
#include "multilayer/node_cache.h"

#include <gtest/gtest.h>

#include <cmath>

#include "multilayer/bessel.h"
#include "multilayer/layer_solve.h"

namespace kestral::multilayer {
namespace {

TEST(NodeCache, PanelsOfTheDyadicFamilyWithTheirConstants) {
  const ScaledSection s = scale_section(Section{{Layer{30, 0.35, 150}, Layer{3, 0.4, 0}}}, {Load{0, 0, 100, 1}});
  NodeCache cache(s, {0.5, 1.0});
  const PanelNodes& p = cache.panel(3, 5);
  EXPECT_EQ(p.lower, 5.0 / 8);
  EXPECT_EQ(p.upper, 6.0 / 8);
  EXPECT_EQ(cache.panel(2, 1, 3).upper, 1.0);  // span 3: [1/4, 1]
  const KronrodRule& rule = kronrod_rule();
  std::vector<double> fresh;
  for (std::size_t k = 0; k < p.m.size(); ++k) {
    EXPECT_DOUBLE_EQ(p.m[k], 11.0 / 16 + rule.node[k] / 16);
    solve_layer_constants(s, p.m[k], fresh);
    for (std::size_t j = 0; j < fresh.size(); ++j) EXPECT_EQ(p.constants[k * 8 + j], fresh[j]);
    EXPECT_EQ(p.load_bessel[k * 2 + 1], bessel_j1(p.m[k]));
  }
  const std::size_t before = cache.panels();
  EXPECT_EQ(&cache.panel(3, 5), &p);
  EXPECT_EQ(cache.panels(), before);
}

TEST(NodeCache, PointKernelsLastUntilTheNextPoint) {
  const ScaledSection s = scale_section(Section{{Layer{30, 0.35, 150}, Layer{3, 0.4, 0}}}, {Load{0, 0, 100, 1}});
  NodeCache cache(s, {1.0});
  EXPECT_EQ(cache.point_kernels(1, 2, 1), nullptr);
  PanelKernels k{};
  k[3][2] = 7.0;
  cache.remember_kernels(1, 2, 1, k);
  ASSERT_NE(cache.point_kernels(1, 2, 1), nullptr);
  EXPECT_EQ((*cache.point_kernels(1, 2, 1))[3][2], 7.0);
  EXPECT_EQ(cache.point_kernels(1, 2, 3), nullptr);
  cache.forget_point();
  EXPECT_EQ(cache.point_kernels(1, 2, 1), nullptr);
}

}  // namespace
}  // namespace kestral::multilayer
