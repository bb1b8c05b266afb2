// Where the tyres of an axle group stand: x across the road, y along it, the
// group centred on the origin. An axle has two tyre sets `track` apart (at
// x = +-track/2); a dual set has two tyres `dual_spacing` apart about its
// centre; a tandem's axles lie at y = +-axle_spacing/2, a tridem's at
// y = -axle_spacing, 0, +axle_spacing. The group's load is shared equally by
// its tyres, each a uniform pressure on a circle of area tyre load / pressure.
//
// Every layout is symmetric about x = 0 and about y = 0, so every response
// is too: a search over x >= 0, y >= 0 covers the plane.
#pragma once

#include <vector>

#include "design/design_problem.h"
#include "multilayer/analysis.h"

namespace kestral::design {

struct TyreLayout {
  std::vector<multilayer::Load> tyres;  // every tyre of the group
  double radius = 0.0;                  // of each tyre's circle, mm
  double tyre_load = 0.0;               // N
  double max_x = 0.0, max_y = 0.0;      // largest tyre centre coordinates
};

TyreLayout tyre_layout(const Axle& axle);

}  // namespace kestral::design
