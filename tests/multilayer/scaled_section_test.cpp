// The working units: lengths over the largest radius, stresses over the
// largest pressure, moduli over the smallest, spring stiffness k a / E.
#include "multilayer/scaled_section.h"

#include <gtest/gtest.h>

namespace kestral::multilayer {
namespace {

TEST(ScaledSection, UnitsAndLayers) {
  const Section section{{Layer{3000, 0.35, 150, {InterfaceKind::spring, 6.0}}, Layer{300, 0.4, 250},
                         Layer{60, 0.45, 123}}};
  const ScaledSection s = scale_section(section, {Load{0, 0, 50, 0.7}, Load{1, 1, 100, 0.5}});
  EXPECT_EQ(s.length_unit, 100);
  EXPECT_EQ(s.stress_unit, 0.7);
  EXPECT_EQ(s.modulus_unit, 60);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s.layers[0].modulus, 50);
  EXPECT_EQ(s.layers[0].thickness, 1.5);
  EXPECT_EQ(s.layers[0].spring, 6.0 * 100 / 60);
  EXPECT_EQ(s.layers[1].top, 1.5);
  EXPECT_EQ(s.layers[2].top, 4.0);
  EXPECT_EQ(s.layers[2].thickness, 0.0);  // the half-space's is ignored
  EXPECT_EQ(s.deepest_interface(), 4.0);
  EXPECT_DOUBLE_EQ(s.layers[1].shear_modulus(), 5.0 / 2.8);
}

}  // namespace
}  // namespace kestral::multilayer
