// The engine's count of work, its estimate of the whole, and the progress
// line kestral-analyse draws from it.
#include "analyse/work_progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "analyse/json_document.h"
#include "analyse/problem_file.h"
#include "analyse/run_problem.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {
namespace {

using namespace std::chrono_literals;

// 18 points, 6 of them on the interface and evaluated on both faces: 24 rows.
Problem interface_problem() {
  const std::string text = R"({"layers": [{"E": 3000, "nu": 0.35, "thickness": 150}, {"E": 60, "nu": 0.4}],
    "loads": [{"load": 20000, "pressure": 0.56}, {"x": 310, "radius": 100, "pressure": 0.7}],
    "grid": {"x": [0, 155, 310], "y": [0, 40], "z": [0, 75, 150]}})";
  return read_problem(parse_json_text(text, "p.json"), "p.json");
}

TEST(WorkProgress, TheEngineCountsPointsAndPanelsOverBlocksAndThreads) {
  const Problem problem = interface_problem();
  std::uint64_t panels_one_thread = 0;
  for (const int threads : {1, 2}) {
    multilayer::WorkCounter work;
    RunSettings settings;
    settings.threads = threads;
    settings.points_per_block = 7;  // three engine calls share the counter
    settings.work = &work;
    EXPECT_EQ(analyse_rows(problem, settings).size(), 24u);
    EXPECT_EQ(work.points.load(), 18u);  // points, not rows
    EXPECT_GT(work.panels.load(), 0u);
    EXPECT_EQ(work.finished_panels.load(), work.panels.load());
    EXPECT_EQ(work.estimated_panels(problem.points.size()), work.panels.load());
    // Each row's panels are its own: the count does not depend on the threads.
    if (threads == 1) panels_one_thread = work.panels.load();
    EXPECT_EQ(work.panels.load(), panels_one_thread);
  }
}

TEST(WorkProgress, EstimateFromThePointsFinished) {
  const struct {
    std::uint64_t panels, finished_panels, points, total_points, estimate;
  } cases[] = {
      {30, 0, 0, 10, 0},        // no point finished: no estimate
      {50, 40, 2, 10, 200},     // 40 + 8 points left x 20
      {500, 400, 10, 10, 500},  // never below the panels done
      {100, 100, 10, 5, 100},   // more points finished than asked for: what is done
  };
  for (const auto& c : cases) {
    multilayer::WorkCounter work;
    work.panels = c.panels;
    work.finished_panels = c.finished_panels;
    work.points = c.points;
    EXPECT_EQ(work.estimated_panels(c.total_points), c.estimate) << c.panels << " " << c.points;
  }
}

TEST(WorkProgress, DrawsTheWorkDoneAgainstTheEstimateThenErases) {
  std::ostringstream out;
  WorkProgress progress(&out, 10, 0ms);
  multilayer::WorkCounter& work = *progress.counter();
  work.finished_panels = 5;
  work.points = 1;
  work.panels = 5;
  // Several polls of the line (every 200 ms), however loaded the machine.
  std::this_thread::sleep_for(1000ms);
  progress.finish();
  const std::string text = out.str();
  EXPECT_NE(text.find("\rkestral-analyse: 5 of 50 panels, "), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K");
}

TEST(WorkProgress, NothingForAQuickRunNorWithoutAStream) {
  std::ostringstream out;
  {
    WorkProgress progress(&out, 10, 10s);
    progress.counter()->panels = 5;
  }  // finished well within its delay
  EXPECT_EQ(out.str(), "");
  WorkProgress none(nullptr, 10, 0ms);
  EXPECT_EQ(none.counter(), nullptr);
}

}  // namespace
}  // namespace kestral::analyse
