// Threads over points: the rows are identical bit for bit whatever the number
// of threads (each row is computed from its own inputs and node values that
// are pure functions of the section), and in point order.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "multilayer/analysis.h"
#include "tests/multilayer/result_bits.h"

namespace kestral::multilayer {
namespace {

TEST(AnalysisThreads, RowsAreIdenticalForAnyNumberOfThreads) {
  const Section s{{Layer{3000, 0.35, 100, {InterfaceKind::spring, 4.0}}, Layer{400, 0.4, 200},
                   Layer{80, 0.45, 0}}};
  std::vector<Load> loads;
  for (int axle = 0; axle < 2; ++axle)
    for (double y : {-170.0, 170.0}) loads.push_back(Load::from_force(axle * 1300.0, y, 20000, 0.7));
  std::vector<Point> points;
  for (int i = 0; i < 48; ++i) points.push_back({-300.0 + 43.0 * i, 40.0 * (i % 5), (i % 7) * 50.0});
  Options one;
  one.threads = 1;
  const auto reference = result_bits(analyse(s, loads, points, one));
  for (int threads : {2, 3, 0}) {
    Options many;
    many.threads = threads;
    const auto rows = analyse(s, loads, points, many);
    EXPECT_EQ(result_bits(rows), reference) << threads;
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LE(rows[i - 1].point, rows[i].point);
  }
}

// A raised cancel flag stops the run with Cancelled whatever the number of
// threads; a lowered one changes nothing.
TEST(AnalysisThreads, ARaisedCancelFlagStopsTheRun) {
  const Section s{{Layer{3000, 0.35, 100}, Layer{80, 0.45, 0}}};
  const std::vector<Load> loads{Load::from_force(0, 0, 40000, 0.7)};
  std::vector<Point> points;
  for (int i = 0; i < 40; ++i) points.push_back({10.0 * i, 0, 50});
  std::atomic<bool> stop{true};
  for (int threads : {1, 2}) {
    Options options;
    options.threads = threads;
    options.cancel = &stop;
    EXPECT_THROW(analyse(s, loads, points, options), Cancelled) << threads;
  }
  std::atomic<bool> go{false};
  Options plain, flagged;
  flagged.cancel = &go;
  EXPECT_EQ(result_bits(analyse(s, loads, points, flagged)), result_bits(analyse(s, loads, points, plain)));
}

}  // namespace
}  // namespace kestral::multilayer
