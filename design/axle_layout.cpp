#include "design/axle_layout.h"

#include <algorithm>
#include <cmath>

namespace kestral::design {

TyreLayout tyre_layout(const Axle& axle) {
  std::vector<double> ys;
  switch (axle.group) {
    case AxleGroup::single: ys = {0.0}; break;
    case AxleGroup::tandem: ys = {-axle.axle_spacing / 2, axle.axle_spacing / 2}; break;
    case AxleGroup::tridem: ys = {-axle.axle_spacing, 0.0, axle.axle_spacing}; break;
  }
  std::vector<double> xs;
  for (double set : {-axle.track / 2, axle.track / 2}) {
    if (axle.tyres == TyreSet::single) {
      xs.push_back(set);
    } else {
      xs.push_back(set - axle.dual_spacing / 2);
      xs.push_back(set + axle.dual_spacing / 2);
    }
  }
  TyreLayout layout;
  layout.tyre_load = axle.load / static_cast<double>(xs.size() * ys.size());
  for (double y : ys) {
    for (double x : xs) {
      layout.tyres.push_back(multilayer::Load::from_force(x, y, layout.tyre_load, axle.pressure));
      layout.max_x = std::max(layout.max_x, x);
      layout.max_y = std::max(layout.max_y, y);
    }
  }
  layout.radius = layout.tyres.front().radius;
  return layout;
}

}  // namespace kestral::design
