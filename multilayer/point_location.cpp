#include "multilayer/point_location.h"

#include <cmath>
#include <limits>

namespace kestral::multilayer {

std::vector<double> interface_depths(const Section& section) {
  std::vector<double> depths;
  double depth = 0.0;
  for (std::size_t i = 0; i + 1 < section.layers.size(); ++i) {
    depth += section.layers[i].thickness;
    depths.push_back(depth);
  }
  return depths;
}

namespace {

bool on_depth(double z, double depth) {
  const double ulp = std::nextafter(depth, std::numeric_limits<double>::infinity()) - depth;
  return std::fabs(z - depth) <= 4.0 * ulp;
}

PointPlace place_in(std::size_t layer, double z, const std::vector<double>& depths, double unit) {
  PointPlace p;
  p.layer = layer;
  p.z = z / unit;
  const double top = layer == 0 ? 0.0 : depths[layer - 1];
  p.s = (z - top) / unit;
  p.t = layer < depths.size() ? (depths[layer] - z) / unit : 0.0;
  return p;
}

}  // namespace

std::vector<RowPlace> locate_point(const Point& point, const std::vector<double>& depths,
                                   const ScaledSection& scaled) {
  const double unit = scaled.length_unit;
  for (std::size_t i = 0; i < depths.size(); ++i) {
    if (on_depth(point.z, depths[i])) {
      // On the face itself: s or t exactly 0.
      PointPlace above = place_in(i, depths[i], depths, unit);
      above.t = 0.0;
      PointPlace below = place_in(i + 1, depths[i], depths, unit);
      below.s = 0.0;
      std::vector<RowPlace> rows;
      if (point.side != Side::below) rows.push_back({Face::above, above});
      if (point.side != Side::above) rows.push_back({Face::below, below});
      return rows;
    }
  }
  std::size_t layer = 0;
  while (layer < depths.size() && point.z > depths[layer]) ++layer;
  return {{Face::inside, place_in(layer, point.z, depths, unit)}};
}

}  // namespace kestral::multilayer
