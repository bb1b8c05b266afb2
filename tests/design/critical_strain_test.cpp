// The critical location against brute force: the strain the search returns
// must be at least every value of an exact map of the face over the whole
// plane (both signs of x and y, so the quadrant symmetry is tested too), and
// at least every value of a fine map around the map's best, within the
// convergence tolerance.
#include "design/critical_strain.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

namespace kestral::design {
namespace {

multilayer::Section three_layers(double asphalt_modulus) {
  return {{{asphalt_modulus, 0.35, 150}, {300, 0.35, 250}, {60, 0.45, 0}}};
}

Axle axle(AxleGroup group, TyreSet tyres) {
  Axle a;
  a.group = group;
  a.tyres = tyres;
  a.load = group == AxleGroup::single ? 80000 : group == AxleGroup::tandem ? 190000 : 240000;
  a.pressure = 0.7;
  a.dual_spacing = 330;
  a.axle_spacing = 1300;
  return a;
}

struct SearchCase {
  AxleGroup group;
  TyreSet tyres;
  std::size_t layer;
  Face at;
  StrainKind kind;
};

std::vector<std::pair<double, double>> grid(double x0, double x1, double y0, double y1, double step) {
  std::vector<std::pair<double, double>> points;
  for (double x = x0; x <= x1 + 1e-9; x += step) {
    for (double y = y0; y <= y1 + 1e-9; y += step) points.emplace_back(x, y);
  }
  return points;
}

TEST(CriticalStrain, AtLeastEveryValueOfABruteForceMap) {
  const auto h = StrainKind::horizontal_tensile, v = StrainKind::vertical_compressive;
  const SearchCase cases[] = {
      {AxleGroup::single, TyreSet::dual, 0, Face::bottom, h},
      {AxleGroup::tandem, TyreSet::dual, 2, Face::top, v},
      {AxleGroup::tridem, TyreSet::single, 0, Face::bottom, h},
      {AxleGroup::single, TyreSet::single, 0, Face::top, h},  // at the surface: tension outside the tyre edge
  };
  for (const SearchCase& c : cases) {
    const multilayer::Section section = three_layers(3000);
    StrainField field(section, tyre_layout(axle(c.group, c.tyres)), face_depth(section, c.layer, c.at), c.kind);
    const CriticalStrain found = critical_strain(field);
    const auto [x_max, y_max] = search_extent(field);
    // The whole plane at 40 mm, then 2 mm and 0.1 mm around the best so far.
    double map_max = -1.0, bx = 0.0, by = 0.0;
    const auto scan = [&](const std::vector<std::pair<double, double>>& points) {
      const std::vector<double> values = field.exact(points);
      for (std::size_t k = 0; k < values.size(); ++k) {
        if (values[k] > map_max) std::tie(map_max, bx, by) = std::tuple(values[k], points[k].first, points[k].second);
      }
    };
    scan(grid(-x_max, x_max, -y_max, y_max, 40.0));
    scan(grid(bx - 40, bx + 40, by - 40, by + 40, 2.0));
    scan(grid(bx - 2, bx + 2, by - 2, by + 2, 0.1));
    // The search converges to 1e-6 of the strain; the maps' values carry the
    // engine's error, 1e-9 of q / E_min, far below that.
    EXPECT_GE(found.strain, map_max - kStrainConvergence * std::abs(map_max)) << static_cast<int>(c.group);
    // Where it says: the strain returned is the field's value there, and the
    // field is symmetric about both axes.
    const std::vector<double> mirrored = field.exact({{found.x, found.y}, {-found.x, found.y}, {found.x, -found.y}});
    for (double value : mirrored) EXPECT_NEAR(value, found.strain, 1e-9 * std::abs(found.strain));
  }
}

TEST(CriticalStrain, SharedRunsGiveEachFieldsOwnSearchBitForBit) {
  // Every engine row is a pure function of its point, the loads and the
  // section, whatever else the run holds: searching three faces in shared
  // runs must give what three searches of their own give, to the bit.
  const multilayer::Section section = three_layers(3000);
  const TyreLayout layout = tyre_layout(axle(AxleGroup::tandem, TyreSet::dual));
  const std::pair<std::size_t, Face> faces[] = {{0, Face::bottom}, {2, Face::top}, {1, Face::bottom}};
  const StrainKind kinds[] = {StrainKind::horizontal_tensile, StrainKind::vertical_compressive, StrainKind::horizontal_tensile};
  std::vector<StrainField> shared, alone;
  for (std::size_t f = 0; f < 3; ++f) {
    for (auto* fields : {&shared, &alone}) fields->emplace_back(section, layout, face_depth(section, faces[f].first, faces[f].second), kinds[f]);
  }
  const std::vector<CriticalStrain> together = critical_strains({&shared[0], &shared[1], &shared[2]}, {});
  for (std::size_t f = 0; f < 3; ++f) {
    const CriticalStrain own = critical_strain(alone[f]);
    EXPECT_EQ(together[f].strain, own.strain) << f;
    EXPECT_EQ(together[f].x, own.x) << f;
    EXPECT_EQ(together[f].y, own.y) << f;
    EXPECT_EQ(together[f].engine_points, own.engine_points) << f;
  }
}

TEST(CriticalStrain, FaceDepthsLieOnTheirInterfaces) {
  const multilayer::Section section = three_layers(3000);
  EXPECT_EQ(face_depth(section, 0, Face::top).z, 0.0);
  EXPECT_EQ(face_depth(section, 0, Face::bottom).z, 150.0);
  EXPECT_EQ(face_depth(section, 0, Face::bottom).side, multilayer::Side::above);
  EXPECT_EQ(face_depth(section, 2, Face::top).z, 400.0);
  EXPECT_EQ(face_depth(section, 2, Face::top).side, multilayer::Side::below);
}

}  // namespace
}  // namespace kestral::design
