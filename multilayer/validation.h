// The checks analyse() makes before it computes anything. Every message names
// the item (layers, interfaces, loads and points numbered from 1, top layer
// first, interface i below layer i) and the offending value.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "multilayer/analysis.h"

namespace kestral::multilayer {

// Throws InvalidProblem with a one-line message at the first fault.
void validate_problem(const Section& section, const std::vector<Load>& loads,
                      const std::vector<Point>& points, const Options& options);

// The checks of validate_problem() that do not involve the section (options,
// loads, points), with the same messages.
void validate_geometry(const std::vector<Load>& loads, const std::vector<Point>& points, const Options& options);

// The shortest text that reads back as the same double ("nan", "inf" too).
std::string shortest_double(double value);

// Limits of the model (validation.cpp says why each is there).
inline constexpr double kMinTolerance = 1e-14;
inline constexpr double kMaxTolerance = 1e-2;
inline constexpr double kMaxModulusRatio = 1e8;
inline constexpr double kMinThicknessOverRadius = 1e-3;
inline constexpr double kMaxCoordinate = 1e100;
inline constexpr double kMaxRadiiFromOrigin = 1e12;

// The limits as tests, so that a reader which names the place in its own
// file (analyse/problem_file.cpp) checks with validate_problem's arithmetic.
// Moduli `lowest` and `highest` of a section close enough together.
inline bool moduli_within_ratio(double lowest, double highest) { return !(highest / lowest > kMaxModulusRatio); }
// A finite layer thick enough against the largest load radius.
inline bool thick_enough(double thickness, double largest_radius) {
  return !(thickness < kMinThicknessOverRadius * largest_radius);
}
// A coordinate (or depth) within the engine's reach from the origin.
inline bool within_reach(double value, double largest_radius) {
  return !(std::fabs(value) > kMaxRadiiFromOrigin * largest_radius);
}

}  // namespace kestral::multilayer
