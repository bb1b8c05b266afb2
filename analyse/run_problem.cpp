#include "analyse/run_problem.h"

#include <algorithm>

#include "multilayer/analysis.h"

namespace kestral::analyse {

void analyse_in_blocks(const Problem& problem, const RunSettings& settings,
                       const std::function<void(const std::vector<multilayer::Result>&)>& take) {
  if (problem.points.empty()) return;
  const std::vector<multilayer::Load> loads = engine_loads(problem);
  multilayer::Options options;
  options.tolerance = settings.tolerance.value_or(problem.tolerance);
  options.threads = settings.threads;
  options.cancel = settings.cancel;
  options.work = settings.work;
  const std::size_t total = problem.points.size();
  std::vector<multilayer::Point> block;
  std::vector<multilayer::Result> rows;
  try {
    // Once over all points, so that a refusal numbers them as the table does.
    multilayer::validate_problem(problem.section, loads, problem.points, options);
    const std::size_t block_size = std::max<std::size_t>(1, settings.points_per_block);
    for (std::size_t first = 0; first < total; first += block_size) {
      const std::size_t last = std::min(total, first + block_size);
      const auto begin = problem.points.begin();
      block.assign(begin + static_cast<std::ptrdiff_t>(first), begin + static_cast<std::ptrdiff_t>(last));
      rows = multilayer::analyse(problem.section, loads, block, options);
      for (multilayer::Result& row : rows) row.point += first;
      take(rows);
      if (settings.progress) settings.progress(last, total);
    }
  } catch (const multilayer::InvalidProblem& error) {
    throw ProblemError(problem.source + ": " + error.what());
  }
}

std::vector<multilayer::Result> analyse_rows(const Problem& problem, const RunSettings& settings) {
  std::vector<multilayer::Result> all;
  analyse_in_blocks(problem, settings, [&all](const std::vector<multilayer::Result>& rows) {
    all.insert(all.end(), rows.begin(), rows.end());
  });
  return all;
}

ResultTable analyse_to_table(const Problem& problem, const RunSettings& settings) {
  ResultTable table = empty_result_table(problem);
  analyse_in_blocks(problem, settings, [&](const std::vector<multilayer::Result>& rows) {
    append_result_rows(table, problem, rows);
  });
  return table;
}

}  // namespace kestral::analyse
