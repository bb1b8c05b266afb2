// analyse(): validation, then the rows (problem_run.h).
#include "multilayer/analysis.h"

#include <cmath>
#include <numbers>

#include "multilayer/problem_run.h"
#include "multilayer/validation.h"

namespace kestral::multilayer {

Load Load::from_force(double x, double y, double load, double pressure) {
  Load l;
  l.x = x;
  l.y = y;
  l.pressure = pressure;
  l.radius = std::sqrt(load / (std::numbers::pi * pressure));
  return l;
}

std::vector<Result> analyse(const Section& section, const std::vector<Load>& loads,
                            const std::vector<Point>& points, const Options& options) {
  validate_problem(section, loads, points, options);
  return run_problem(section, loads, points, options, RunStores{});
}

}  // namespace kestral::multilayer
