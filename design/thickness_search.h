// The least thickness of one layer, a multiple of the resolution within
// min..max, at which every criterion's damage is at most 1.
//
// Method: the damage falls as the layer thickens (the search assumes so and
// checks it on every thickness it evaluates). The first trial is the
// section's own thickness; each next one the first whole step past where
// the logarithm of the largest damage, taken as linear in the logarithm of
// the thickness through the two checks nearest the crossing, reaches 0 (a
// secant, which needs a slope of -4 to start from one check), or the step
// before it when that one is known to pass; once a failing and a passing
// thickness bracket the crossing, a midpoint whenever the same end has moved
// twice running. It stops when a failing and a passing thickness are one
// step apart (or the range's end passes or fails): a power law in the
// thickness is found in three to five checks. With `plain_bisection` both
// ends are checked first and every trial is the midpoint (the reference the
// tests compare with).
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
