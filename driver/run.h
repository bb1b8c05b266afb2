// One whole run: read, echo, evaluate every point, report.
#pragma once

#include <array>
#include <filesystem>
#include <iosfwd>
#include <string>

#include "driver/dual_wheel.h"
#include "driver/legacy_problem_reader.h"
#include "driver/problem_input.h"
#include "hankel/result_table.h"

namespace kestral {

// Result rows a run may print (the capacity of the row-kind table).
inline constexpr int kMaxResultRows = 30;

// The three files of a run and the names the diagnostics give them.
struct RunFiles {
  std::filesystem::path problem = "KESTRAL.in";
  std::filesystem::path gauss = "gauss.qua";
  std::filesystem::path report = "KESTRAL.out";
  std::string problem_name = "KESTRAL.in";
  std::string gauss_name = "gauss.qua";

  // The two input files, for the reader.
  LegacyInputFiles inputs() const;
  // The three files in `folder`, under their usual names.
  static RunFiles in_folder(const std::filesystem::path& folder);
};

// The rows of a run: their results, kinds and the layer each was evaluated
// in, in the order of evaluation (for a dual wheel the first wheel's rows,
// then the second wheel's). Once the run ends, rows 1..rows_printed are the
// rows as reported, both wheels added for a dual wheel.
struct RunRecord {
  ResultTable results;
  std::array<int, kMaxResultRows> kinds{};
  std::array<int, kMaxResultRows> layers{};
  int rows_evaluated = 0;
  int rows_printed = 0;
};

// Runs one problem: report to files.report, console stream to `console`,
// diagnostics (one line each) to `errors`. Returns the exit status: 0 for a
// completed run, 1 for a rejected input. `record`, when given, receives the
// printed rows.
int run_analysis(const RunFiles& files, std::ostream& console, std::ostream& errors,
                 RunRecord* record = nullptr);

// MAIN__: the program in the working directory, on standard output and
// standard error. Returns the exit status.
int MAIN__();

}  // namespace kestral
