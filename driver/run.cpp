#include "driver/run.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <iostream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>

#include "driver/free_format_reader.h"
#include "driver/layer_depth_limit.h"
#include "driver/legacy_problem_reader.h"
#include "driver/layer_search.h"
#include "driver/point_limits.h"
#include "driver/problem_input.h"
#include "driver/report_file.h"
#include "driver/report_writer.h"
#include "format/shortest_text.h"
#include "hankel/final.h"
#include "layered/constants_store.h"

namespace kestral {
namespace {

// Rows of one pass over the points: one per point, two per interface point.
int rows_per_wheel(const LayerSystem& layers, const EvalPoints& points) {
  int rows = 0;
  for (int i = 0; i < points.NP; ++i) rows += layer_of_depth(layers, points.Z[i]).on_interface ? 2 : 1;
  return rows;
}

// Pass j evaluates point j; for a dual wheel passes NP+1 .. 2NP repeat the
// points at their distance from the second wheel. A point on an interface
// gets a second row in the layer below.
void evaluate_passes(const LayerSystem& layers, const WheelLoad& load, const EvalPoints& points,
                     const GaussRules& rules, int passes, RunRecord& rows,
                     ConstantsStore& store, std::ostream& console) {
  int& K = rows.rows_evaluated;
  for (int j = 1; j <= passes; ++j) {
    float Zc = 0.0f;
    float Rc = 0.0f;
    if (j <= points.NP) {
      Zc = points.Z[j - 1];
      Rc = points.R[j - 1];
    } else {
      const int i = j - points.NP;
      Zc = points.Z[i - 1];
      Rc = distance_from_second_wheel(points.R[i - 1]);
    }
    console << progress_line(Zc, Rc) << '\n';

    const LayerOfDepth where = layer_of_depth(layers, Zc);
    int L = where.layer;
    ++K;
    FINAL(Zc, Rc, L, layers.n, layers.E, layers.Mu, layers.H, load.a, load.q, rules.x, rules.w,
          rules.N, kBondedInterfaces, K, rows.results, console, store);
    rows.kinds[K - 1] = kOrdinaryRow;
    rows.layers[K - 1] = L;
    if (where.on_interface) {
      ++L;
      ++K;
      FINAL(Zc, Rc, L, layers.n, layers.E, layers.Mu, layers.H, load.a, load.q, rules.x, rules.w,
            rules.N, kBondedInterfaces, K, rows.results, console, store);
      rows.kinds[K - 1] = kInterfaceRow;
      rows.layers[K - 1] = L;
    }
  }
}

// Dual wheel: the second half of the rows repeats the pattern of the first
// for the second wheel; add its responses to the first wheel's, in single
// precision. Z and R stay those of the first wheel's rows.
void add_second_wheel(RunRecord& rows) {
  const int half = rows.rows_evaluated / 2;
  for (int i = 1; i <= half; ++i) {
    for (int column = kColSigmaZ; column <= kColEpR; ++column) {
      rows.results.at(i, column) = rows.results.at(i, column) + rows.results.at(half + i, column);
    }
  }
}

}  // namespace

LegacyInputFiles RunFiles::inputs() const { return {problem, gauss, problem_name, gauss_name}; }

RunFiles RunFiles::in_folder(const std::filesystem::path& folder) {
  RunFiles files;
  files.problem = folder / "KESTRAL.in";
  files.gauss = folder / "gauss.qua";
  files.report = folder / "KESTRAL.out";
  return files;
}

int run_analysis(const RunFiles& files, std::ostream& console, std::ostream& errors,
                 RunRecord* record) {
  std::optional<ReportFile> opened_report;
  try {
    LegacyProblemReader reader(files.inputs());
    ReportFile& report = opened_report.emplace(files.report);

    LegacyProblem problem;
    reader.read_head(problem);
    const GaussRules& rules = problem.rules;
    const LayerSystem& layers = problem.layers;
    const WheelLoad& load = problem.load;
    const EvalPoints& points = problem.points;
    check_interface_depths(layers, load, files.problem_name);

    const auto echo = echo_records(layers, load);
    for (const std::string& line : echo) report.write(line);
    for (const std::string& line : echo) console << line << '\n';

    reader.read_points(problem);
    const bool single = load.wheel_flag == 1.0f;
    const bool dual = load.wheel_flag == 2.0f;

    // The row-kind table bounds the rows of a run; refuse before computing.
    const int rows_needed = (single || dual) ? rows_per_wheel(layers, points) * (dual ? 2 : 1) : 0;
    if (rows_needed > kMaxResultRows) {
      throw InputError(files.problem_name + ": the points need " + std::to_string(rows_needed) +
                       " result rows (one per point, two per point on an interface, doubled for "
                       "a dual wheel), more than the limit of " +
                       std::to_string(kMaxResultRows));
    }

    if (single || dual) check_points_computable(layers, points, load, dual, files.problem_name);

    if (single || dual) report.write(wheel_line(dual));
    report.write(column_header());

    RunRecord rows;
    const int passes = single ? points.NP : (dual ? 2 * points.NP : 0);
    // The run's own store: nothing solved in an earlier run can reach it.
    ConstantsStore store;
    evaluate_passes(layers, load, points, rules, passes, rows, store, console);
    if (dual) add_second_wheel(rows);
    rows.rows_printed = single ? rows.rows_evaluated : (dual ? rows.rows_evaluated / 2 : 0);
    for (int row = 1; row <= rows.rows_printed; ++row) {
      report.write(result_row(rows.results, row, rows.kinds[row - 1]));
    }
    report.finish();
    console.flush();

    if (!single && !dual) {
      errors << files.problem_name << ": wheel flag " << shortest_text(load.wheel_flag)
             << " is neither 1 (single wheel) nor 2 (dual wheel): no wheel arrangement was "
                "selected and nothing was computed\n";
    }
    if (record != nullptr) *record = rows;
    return 0;
  } catch (const InputError& error) {
    console.flush();
    errors << error.what() << '\n';
    // Records written before the stop replace the report, as they stand.
    if (opened_report && !opened_report->keep_after_stop()) {
      errors << "cannot write file " << files.report.filename().string() << ", unit 47\n";
    }
    return 1;
  }
}

int MAIN__() {
  const int status = run_analysis(RunFiles{}, std::cout, std::cerr);
  // A console that could not be written (a full disk behind a redirection)
  // is a failure too, not a silent success.
  std::cout.flush();
  if (status == 0 && !std::cout) {
    std::cerr << "cannot write the console stream (standard output)\n";
    return 1;
  }
  return status;
}

}  // namespace kestral
