// Where points are evaluated: inside layers, on interfaces (exactly or within
// 4 units in the last place of the interface depth) on the faces asked for,
// the face above first, and in the half-space.
#include "multilayer/point_location.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestral::multilayer {
namespace {

const Section kSection{{Layer{3000, 0.35, 0.1}, Layer{300, 0.4, 0.2}, Layer{60, 0.45, 0}}};

std::vector<RowPlace> rows(double z, Side side = Side::both) {
  const std::vector<Load> loads{Load{0, 0, 0.05, 1}};
  const ScaledSection scaled = scale_section(kSection, loads);
  return locate_point(Point{0, 0, z, side}, interface_depths(kSection), scaled);
}

TEST(PointLocation, InterfaceDepthsAreTheSumsInDouble) {
  const auto d = interface_depths(kSection);
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0], 0.1);
  EXPECT_EQ(d[1], 0.1 + 0.2);  // 0.30000000000000004, as summed
}

TEST(PointLocation, FacesOfAnInterface) {
  const double depth = 0.1 + 0.2;
  auto r = rows(depth);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].face, Face::above);
  EXPECT_EQ(r[0].place.layer, 1u);
  EXPECT_EQ(r[0].place.t, 0.0);
  EXPECT_EQ(r[1].face, Face::below);
  EXPECT_EQ(r[1].place.layer, 2u);
  EXPECT_EQ(r[1].place.s, 0.0);
  // 0.3 as typed lies within the rounding of 0.1 + 0.2.
  EXPECT_EQ(rows(0.3).size(), 2u);
  EXPECT_EQ(rows(0.3, Side::above).size(), 1u);
  EXPECT_EQ(rows(0.3, Side::above)[0].face, Face::above);
  EXPECT_EQ(rows(0.3, Side::below)[0].face, Face::below);
  // 4 units in the last place count as on it; 5 do not.
  const double ulp = std::nextafter(depth, 1.0) - depth;
  EXPECT_EQ(rows(depth + 4 * ulp).size(), 2u);
  EXPECT_EQ(rows(depth - 4 * ulp).size(), 2u);
  const auto off = rows(depth + 5 * ulp);
  ASSERT_EQ(off.size(), 1u);
  EXPECT_EQ(off[0].face, Face::inside);
  EXPECT_EQ(off[0].place.layer, 2u);
}

TEST(PointLocation, InsideLayersAndTheHalfSpace) {
  for (const auto& [z, layer] : {std::pair{0.0, 0u}, {0.05, 0u}, {0.2, 1u}, {0.5, 2u}, {1e6, 2u}}) {
    const auto r = rows(z, Side::below);  // Side matters only on an interface
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].face, Face::inside);
    EXPECT_EQ(r[0].place.layer, layer) << z;
  }
  // Working units: lengths over the largest radius (0.05).
  const auto r = rows(0.2);
  EXPECT_DOUBLE_EQ(r[0].place.z, 4.0);
  EXPECT_DOUBLE_EQ(r[0].place.s, 2.0);
  EXPECT_DOUBLE_EQ(r[0].place.t, (0.1 + 0.2 - 0.2) / 0.05);
}

}  // namespace
}  // namespace kestral::multilayer
