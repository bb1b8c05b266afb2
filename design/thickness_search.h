// The least thickness of one layer, a multiple of the resolution within
// min..max, at which every criterion's damage is at most 1.
//
// Method: the damage falls as the layer thickens (the search assumes so and
// checks it on every thickness it evaluates). Both ends are checked first;
// between a failing and a passing thickness the next trial is where the
// logarithm of the largest damage, interpolated linearly between the two,
// reaches 0 (regula falsi on whole steps), or the midpoint when the same end
// has moved twice running or a damage is infinite; it stops when the two are
// one step apart. With `plain_bisection` every trial is the midpoint (the
// reference the tests compare with).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "design/design_check.h"
#include "design/design_problem.h"

namespace kestral::design {

enum class ThicknessStatus { found, max_fails, min_passes };

struct ThicknessResult {
  ThicknessStatus status = ThicknessStatus::found;
  double value = 0.0;                       // mm: the thickness found (max when it fails, min when it passes)
  CheckResult at;                           // the check at `value`
  std::optional<CheckResult> one_step_thinner;  // at value - resolution, when that is within min..max
  std::vector<std::pair<double, std::vector<double>>> trials;  // thickness, each criterion's damage
  std::vector<std::string> notes;           // where a damage rose with the thickness
};

// The section of `problem` with layer `range.layer` `thickness` thick.
multilayer::Section with_thickness(const multilayer::Section& section, std::size_t layer, double thickness);

ThicknessResult search_thickness(const DesignProblem& problem, bool plain_bisection = false);

const char* status_name(ThicknessStatus status);

}  // namespace kestral::design
