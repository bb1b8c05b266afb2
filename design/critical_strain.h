// The critical location of a criterion under an axle group: where on the
// criterion's face the strain it limits is largest, over the whole plane
// under and around the group.
//
// Method. The layouts are symmetric about x = 0 and y = 0, so the search
// covers the quadrant x, y >= 0 out to (largest tyre centre + 2 radii + the
// depth) in each direction; beyond it every strain decays. (1) A coarse map
// of the quadrant at a quarter of the larger of the depth and the tyre
// radius, from one tyre's radial profile interpolated
// (cubic B-spline, Boost.Math) and superposed: cheap enough to cover the
// plane densely. (2) From each of the map's six highest local maxima, a
// local search on the interpolated field: Brent's method (Boost.Math
// brent_find_minima) along x, then y, repeated until a cycle gains less than
// 1e-9 of the strain. (3) The engine's exact strain at each contender (the
// refined maxima within 1e-3 of the highest; all of them should the exact
// values show the interpolation worse than a quarter of that); the best is
// confirmed by a stencil of exact values a hundredth of the field's scale
// around it: where the parabola through them promises a gain above 1e-7 of
// the strain, or the point is no maximum of the stencil, the Brent cycles
// run again on exact values until a cycle gains less than 1e-7. The strain
// returned is the engine's, at the location returned. critical_strains does
// this for the faces of several criteria under one group in one season with
// one engine run for all their profiles and one for all their exact values.
//
// Accuracy measured: against brute-force maps of exact values (40 mm over
// the whole plane, then 2 mm and 0.1 mm about their best), the strain returned is never below the map's largest
// value by more than 1e-6 of it (tests/design/critical_strain_test.cpp).
#pragma once

#include <cstddef>
#include <vector>

#include "design/strain_field.h"

namespace kestral::design {

inline constexpr double kStrainConvergence = 1e-6;

struct CriticalStrain {
  double strain = 0.0;  // the criterion's strain there (may be <= 0: none of its kind)
  double x = 0.0, y = 0.0;  // mm, in the quadrant x, y >= 0
  std::size_t engine_points = 0;  // engine evaluations it took
};

// `profile`: the field's radial profile geometry, when the caller shares one
// among seasons (profile_geometry(layout, face, profile_reach(field)));
// else the search prepares its own.
CriticalStrain critical_strain(StrainField& field, const ProfileGeometry* profile = nullptr);

// The same for several fields of one section and one axle group (faces at
// any depths), their engine runs shared; `profiles` one per field, or
// empty.
std::vector<CriticalStrain> critical_strains(const std::vector<StrainField*>& fields,
                                             const std::vector<const ProfileGeometry*>& profiles);

// How far from a tyre the profile must reach to cover the quadrant searched.
double profile_reach(const StrainField& field);

// The half-widths (mm) of the quadrant searched.
std::pair<double, double> search_extent(const StrainField& field);

}  // namespace kestral::design
