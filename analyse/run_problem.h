// A problem through the general engine: the loads it needs, the points in
// blocks (so that a long run can show its progress), the rows.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "analyse/problem.h"
#include "analyse/result_table.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {

// Points per call of the engine. Fixed, so that the rows never depend on
// whether progress is shown.
inline constexpr std::size_t kPointsPerBlock = 4096;

struct RunSettings {
  std::optional<double> tolerance;  // replaces the problem's when given
  int threads = 1;                  // engine threads; 0: one per core
  std::size_t points_per_block = kPointsPerBlock;
  // Called after each block with the points done and the total.
  std::function<void(std::size_t, std::size_t)> progress;
  // When set and raised by another thread, the run stops within a block and
  // throws multilayer::Cancelled (an interrupted Python call).
  const std::atomic<bool>* cancel = nullptr;
  // When set, advanced by the engine as it works (a progress line by the
  // work done: work_progress.h).
  multilayer::WorkCounter* work = nullptr;
};

// The engine's rows for every point, in point order (Result::point indexes
// problem.points), handed to `take` block by block. A problem the engine
// refuses throws ProblemError "<source>: <the engine's message>" before any
// block is computed.
void analyse_in_blocks(const Problem& problem, const RunSettings& settings,
                       const std::function<void(const std::vector<multilayer::Result>&)>& take);

// All the rows at once.
std::vector<multilayer::Result> analyse_rows(const Problem& problem, const RunSettings& settings);

// The table of the rows, built block by block.
ResultTable analyse_to_table(const Problem& problem, const RunSettings& settings);

}  // namespace kestral::analyse
