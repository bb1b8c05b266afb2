#include "analyse/run_problem.h"

#include <algorithm>

#include "multilayer/validation.h"

namespace kestral::analyse {

std::vector<multilayer::Load> engine_loads(const Problem& problem) {
  std::vector<multilayer::Load> loads;
  for (const LoadInput& load : problem.loads) {
    if (load.by_force) {
      loads.push_back(multilayer::Load::from_force(load.x, load.y, load.force, load.pressure));
    } else {
      loads.push_back(multilayer::Load{load.x, load.y, load.radius, load.pressure});
    }
  }
  return loads;
}

std::vector<multilayer::Result> analyse_problem(const Problem& problem, const RunSettings& settings) {
  std::vector<multilayer::Result> rows;
  if (problem.points.empty()) return rows;
  const std::vector<multilayer::Load> loads = engine_loads(problem);
  multilayer::Options options;
  options.tolerance = settings.tolerance.value_or(problem.tolerance);
  options.threads = settings.threads;
  const std::size_t total = problem.points.size();
  std::vector<multilayer::Point> block;
  try {
    // Once over all points, so that a refusal numbers them as the table does.
    multilayer::validate_problem(problem.section, loads, problem.points, options);
    const std::size_t block_size = std::max<std::size_t>(1, settings.points_per_block);
    for (std::size_t first = 0; first < total; first += block_size) {
      const std::size_t last = std::min(total, first + block_size);
      const auto begin = problem.points.begin();
      block.assign(begin + static_cast<std::ptrdiff_t>(first), begin + static_cast<std::ptrdiff_t>(last));
      for (multilayer::Result& row : multilayer::analyse(problem.section, loads, block, options)) {
        row.point += first;
        rows.push_back(row);
      }
      if (settings.progress) settings.progress(last, total);
    }
  } catch (const multilayer::InvalidProblem& error) {
    throw ProblemError(problem.source + ": " + error.what());
  }
  return rows;
}

ResultTable analyse_to_table(const Problem& problem, const RunSettings& settings) {
  return make_result_table(problem, analyse_problem(problem, settings));
}

}  // namespace kestral::analyse
