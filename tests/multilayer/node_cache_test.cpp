// The store of panels: nodes at the Kronrod points of the dyadic panel asked
// for, constants equal to a fresh solve, J1(m a) per radius, one entry per
// key, and the kernels kept per place of a point.
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

// Beyond its bound the store forgets its panels and solves them again: the
// same values, and never more panels than the bound holds.
TEST(NodeCache, ForgetsPanelsBeyondItsBoundAndSolvesThemAgain) {
  const ScaledSection s = scale_section(Section{{Layer{30, 0.35, 150}, Layer{3, 0.4, 0}}}, {Load{0, 0, 100, 1}});
  NodeCache unbounded(s, {1.0});
  const std::size_t one_panel = sizeof(PanelNodes) + sizeof(double) * kKronrodNodes * (8 + 1);  // 2 layers, 1 radius
  NodeCache bounded(s, {1.0}, nullptr, nullptr, false, 3 * one_panel);
  for (int round = 0; round < 2; ++round) {
    for (std::int64_t i = 0; i < 10; ++i) {
      const PanelNodes& want = unbounded.panel(2, i);
      const PanelNodes& got = bounded.panel(2, i);
      EXPECT_EQ(got.constants, want.constants) << i;
      EXPECT_EQ(got.load_bessel, want.load_bessel) << i;
      EXPECT_LE(bounded.panels(), 3u);
    }
  }
  EXPECT_EQ(unbounded.panels(), 10u);
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

// Kernels belong to a place: points at the same place (a profile at one
// depth) meet them again, other places never do, and a return to a place
// kept finds its own; the bound on the store only forgets, never mixes.
TEST(NodeCache, KernelsAreKeptPerPlace) {
  const ScaledSection s = scale_section(Section{{Layer{30, 0.35, 150}, Layer{3, 0.4, 0}}}, {Load{0, 0, 100, 1}});
  NodeCache cache(s, {1.0});
  PanelKernels first{}, second{};
  first[0][0] = 1.0;
  second[0][0] = 2.0;
  cache.use_place(0, 0.5, 1.0);
  cache.remember_kernels(1, 2, 1, first);
  cache.use_place(0, 0.5, 1.0);  // the next point of a profile
  ASSERT_NE(cache.point_kernels(1, 2, 1), nullptr);
  cache.use_place(0, 0.25, 1.25);  // another depth in the same layer
  EXPECT_EQ(cache.point_kernels(1, 2, 1), nullptr);
  cache.remember_kernels(1, 2, 1, second);
  cache.use_place(1, 0.5, 1.0);  // same distances, another layer
  EXPECT_EQ(cache.point_kernels(1, 2, 1), nullptr);
  cache.use_place(0, 0.5, 1.0);
  EXPECT_EQ((*cache.point_kernels(1, 2, 1))[0][0], 1.0);
  cache.use_place(0, 0.25, 1.25);
  EXPECT_EQ((*cache.point_kernels(1, 2, 1))[0][0], 2.0);

  for (int i = 0; i < 40; ++i) cache.use_place(0, 1.0 + i, 0.0);  // more places than are kept
  cache.use_place(0, 0.5, 1.0);
  EXPECT_EQ(cache.point_kernels(1, 2, 1), nullptr);
  for (std::int64_t i = 0; i < 5000; ++i) cache.remember_kernels(0, i, 1, first);  // beyond the bound
  cache.use_place(0, 0.5, 1.0);
  EXPECT_NE(cache.point_kernels(0, 4999, 1), nullptr);
  EXPECT_EQ(cache.point_kernels(0, 0, 1), nullptr);
}

}  // namespace
}  // namespace kestral::multilayer
