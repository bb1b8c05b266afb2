// The checks analyse() makes before it computes anything. Every message names
// the item (layers, interfaces, loads and points numbered from 1, top layer
// first, interface i below layer i) and the offending value; the exception's
// place() names the same (numbered from 0) for a reader of a problem file to
// give its own place (`layers[1].E`): the one check of the engine's limits.
#pragma once

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

// Limits of the model (validation.cpp says why each is there).
inline constexpr double kMinTolerance = 1e-14;
inline constexpr double kMaxTolerance = 1e-2;
inline constexpr double kMaxModulusRatio = 1e8;
inline constexpr double kMinThicknessOverRadius = 1e-3;
inline constexpr double kMaxCoordinate = 1e100;
inline constexpr double kMaxRadiiFromOrigin = 1e12;

// Moduli `lowest` and `highest` close enough together for the engine (also
// for a search whose bounds must keep every section it may try valid).
bool moduli_within_ratio(double lowest, double highest);

}  // namespace kestral::multilayer
