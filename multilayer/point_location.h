// Which layer (and which face of an interface) a point is evaluated in.
#pragma once

#include <vector>

#include "multilayer/analysis.h"
#include "multilayer/load_integrals.h"
#include "multilayer/scaled_section.h"

namespace kestral::multilayer {

struct RowPlace {
  Face face = Face::inside;
  PointPlace place;  // working units
};

// The interface depths: sums of the thicknesses above, in double, in order.
std::vector<double> interface_depths(const Section& section);

// The rows of one point: one inside a layer, or the face(s) of the interface
// its depth lies on (within 4 units in the last place of that depth) as its
// Side asks, the face above first.
std::vector<RowPlace> locate_point(const Point& point, const std::vector<double>& depths,
                                   const ScaledSection& scaled);

}  // namespace kestral::multilayer
