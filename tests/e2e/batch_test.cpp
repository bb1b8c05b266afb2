// kestral-batch against kestral itself: on every shipped and recorded problem
// its reports are kestral's byte for byte, and its table holds the reports'
// numbers to their printed digits; the same files whatever the thread count;
// failing folders among good ones; CSV quoting; the command line.
//
// The built kestral-batch runs the whole set once; the other cases call the
// batch functions in this process (their threads then run under the thread
// sanitizer of the tsan preset too) on the cheap recorded problems.
#include "driver/batch_command_line.h"
#include "driver/batch_csv.h"
#include "driver/batch_pool.h"
#include "driver/batch_program.h"
#include "driver/batch_progress.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "format/format.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = KESTRAL_SOURCE_DIR;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

void copy_inputs(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const char* name : {"KESTRAL.in", "gauss.qua"}) {
    if (fs::exists(from / name)) fs::copy_file(from / name, to / name);
  }
}

// Every problem shipped or recorded, under a name unique across the sets.
std::vector<std::pair<std::string, fs::path>> all_problems() {
  std::vector<std::pair<std::string, fs::path>> problems;
  problems.emplace_back("example-dual-wheel", kSource / "examples" / "dual-wheel");
  for (const char* set : {"regression", "conformance"}) {
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(kSource / "tests" / set)) {
      if (entry.is_directory()) folders.push_back(entry.path());
    }
    std::sort(folders.begin(), folders.end());
    for (const fs::path& folder : folders) {
      problems.emplace_back(std::string(set) + "-" + folder.filename().string(), folder);
    }
  }
  return problems;
}

// Recorded problems that compute in a few milliseconds, for the cases that
// run many folders; the last stops at the end-of-file in its point list.
const char* const kCheapProblems[] = {
    "half-space-deep", "thick-subgrade-stiff-bottom", "odd-orders-positive-first",
    "conformance-two-layer-free-format", "conformance-truncated-point-list"};

fs::path recorded(const std::string& name) { return kSource / "tests" / "regression" / name; }

struct BatchRun {
  int status = -1;
  std::string out;
  std::string errors;
};

// The built kestral-batch with `arguments`, in `folder`.
BatchRun run_batch_program(const fs::path& folder, const std::vector<std::string>& arguments) {
  const ProgramRun program = run_program_in(folder, KESTRAL_BATCH_EXE, arguments);
  return BatchRun{program.status, program.console, program.errors};
}

// batch_main in this process, not on a terminal.
BatchRun run_batch_here(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream errors;
  BatchRun run;
  run.status = batch_main(arguments, out, errors, false, 2);
  run.out = out.str();
  run.errors = errors.str();
  return run;
}

// The summary line closes standard error; returns what came before it.
std::string before_summary(const std::string& errors, int folders, int failed, int rows) {
  std::string head = summary_line({folders, failed, rows, 0.0});
  head.resize(head.size() - std::string("0.00 seconds").size());
  const std::size_t at = errors.rfind(head);
  EXPECT_TRUE(at != std::string::npos && (at == 0 || errors[at - 1] == '\n')) << errors;
  if (at == std::string::npos) return errors;
  // The seconds: digits, a point, two digits; then the line's end.
  const std::string seconds = errors.substr(at + head.size());
  const std::size_t point = seconds.find('.');
  EXPECT_TRUE(point != std::string::npos && point > 0 &&
              seconds.find_first_not_of("0123456789") == point &&
              seconds.substr(point + 3) == " seconds\n" &&
              std::isdigit(static_cast<unsigned char>(seconds[point + 1])) &&
              std::isdigit(static_cast<unsigned char>(seconds[point + 2])))
      << seconds;
  return errors.substr(0, at);
}

// A CSV line split at its commas; only for folder names without quotes.
std::vector<std::string> csv_cells(const std::string& line) {
  std::vector<std::string> cells;
  std::istringstream stream(line);
  for (std::string cell; std::getline(stream, cell, ',');) cells.push_back(cell);
  return cells;
}

bool is_result_row(const std::string& line) { return line.size() == 104 && line[23] == 'E'; }

// The CSV value `cell` is the float the report printed in `field`: the
// report's own rounding of it gives the field, and it lies within half a
// unit of the field's last digit (the rounding's whole error; the factor
// 1 + 1e-9 only absorbs the decimal-to-binary reading of the field).
void expect_same_number(const std::string& cell, const std::string& field, double half_unit,
                        const std::string& rendered) {
  const float value = std::strtof(cell.c_str(), nullptr);
  EXPECT_EQ(rendered, field) << cell;
  EXPECT_LE(std::fabs(static_cast<double>(value) - std::stod(field)), half_unit * (1.0 + 1e-9))
      << cell << " " << field;
}

// Rows of a report against its folder's CSV lines.
void expect_table_matches_report(const std::string& report,
                                 const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::string> report_rows;
  for (const std::string& line : lines_of(report)) {
    if (is_result_row(line)) report_rows.push_back(line);
  }
  ASSERT_EQ(rows.size(), report_rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::vector<std::string>& cells = rows[r];
    const std::string& line = report_rows[r];
    ASSERT_EQ(cells.size(), 13u) << line;
    const bool lower = line[8] == 'L';
    EXPECT_EQ(cells[3], lower ? "lower" : "upper");
    const float Z = std::strtof(cells[1].c_str(), nullptr);
    const float R = std::strtof(cells[2].c_str(), nullptr);
    expect_same_number(cells[1], line.substr(0, 8), 0.005, format_fixed(Z, 8, 2));
    expect_same_number(cells[2], line.substr(lower ? 9 : 8, lower ? 7 : 8), 0.005,
                       format_fixed(R, lower ? 7 : 8, 2));
    // The row below an interface lies in the next layer, at the same point.
    if (lower) {
      ASSERT_GT(r, 0u);
      EXPECT_EQ(std::stoi(cells[4]), std::stoi(rows[r - 1][4]) + 1);
      EXPECT_EQ(cells[1], rows[r - 1][1]);
    }
    for (int c = 0; c < 8; ++c) {
      const std::string field = line.substr(16 + 11 * static_cast<std::size_t>(c), 11);
      const double half_unit = 0.5 * std::pow(10.0, std::stoi(field.substr(8)) - 4);
      const float value = std::strtof(cells[5 + c].c_str(), nullptr);
      expect_same_number(cells[5 + c], field, half_unit, format_scientific_11_4(value));
    }
  }
}

TEST(BatchAgainstKestral, ReportsAndTableMatchOnEveryProblem) {
  ScratchFolder scratch;
  std::vector<std::string> arguments = {"-j", "2", "--csv", "table.csv"};
  std::string expected_errors;
  int expected_failures = 0;
  std::vector<ProgramRun> kestral_runs;
  const auto problems = all_problems();
  for (const auto& [name, source] : problems) {
    copy_inputs(source, scratch.path() / "kestral" / name);
    copy_inputs(source, scratch.path() / "batch" / name);
    kestral_runs.push_back(run_program_in(scratch.path() / "kestral" / name));
    arguments.push_back("batch/" + name);
    for (const std::string& line : lines_of(kestral_runs.back().errors)) {
      expected_errors += "batch/" + name + ": " + line + "\n";
    }
    expected_failures += kestral_runs.back().status != 0 ? 1 : 0;
  }
  ASSERT_GT(expected_failures, 0) << "the set should hold a failing problem";

  const BatchRun batch = run_batch_program(scratch.path(), arguments);
  EXPECT_EQ(batch.status, 1);
  EXPECT_EQ(batch.out, "");

  const std::vector<std::string> table = lines_of(read_text(scratch.path() / "table.csv"));
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table[0], csv_header());
  std::size_t next_line = 1;
  for (std::size_t p = 0; p < problems.size(); ++p) {
    SCOPED_TRACE(problems[p].first);
    const fs::path report = scratch.path() / "batch" / problems[p].first / "KESTRAL.out";
    EXPECT_EQ(fs::exists(report), kestral_runs[p].report_exists);
    EXPECT_EQ(read_text(report), kestral_runs[p].report);
    std::vector<std::vector<std::string>> rows;
    while (next_line < table.size() &&
           table[next_line].rfind("batch/" + problems[p].first + ",", 0) == 0) {
      rows.push_back(csv_cells(table[next_line++]));
    }
    expect_table_matches_report(kestral_runs[p].report, rows);
  }
  EXPECT_EQ(next_line, table.size());
  EXPECT_EQ(before_summary(batch.errors, static_cast<int>(problems.size()), expected_failures,
                           static_cast<int>(table.size() - 1)),
            expected_errors);
}

TEST(BatchAgainstKestral, TableHoldsTheRunsFloatsExactly) {
  // The shipped example: points at 0, 120 (first interface) and 570 mm
  // (third interface) of a four-layer section under a dual wheel.
  ScratchFolder scratch;
  copy_inputs(kSource / "examples" / "dual-wheel", scratch.path() / "example");
  copy_inputs(kSource / "examples" / "dual-wheel", scratch.path() / "direct");
  const BatchRun run = run_batch_here({(scratch.path() / "example").string()});
  EXPECT_EQ(run.status, 0);
  std::ostringstream console;
  std::ostringstream errors;
  RunRecord record;
  ASSERT_EQ(run_analysis(RunFiles::in_folder(scratch.path() / "direct"), console, errors, &record),
            0);

  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 1u + static_cast<std::size_t>(record.rows_printed));
  std::vector<int> layers;
  for (int row = 1; row <= record.rows_printed; ++row) {
    const std::vector<std::string> cells = csv_cells(lines[static_cast<std::size_t>(row)]);
    ASSERT_EQ(cells.size(), 13u);
    layers.push_back(std::stoi(cells[4]));
    // Every number reads back as the very float of the run: nothing lost.
    for (int column = kColZ; column <= kColEpR; ++column) {
      const std::string& cell = cells[column <= kColR ? column : column + 2];
      EXPECT_EQ(std::strtof(cell.c_str(), nullptr), record.results.at(row, column)) << cell;
    }
  }
  EXPECT_EQ(layers, (std::vector<int>{1, 1, 2, 1, 2, 3, 4, 3, 4}));
}

TEST(BatchThreads, OneAndTwoJobsWriteIdenticalFiles) {
  ScratchFolder scratch;
  std::vector<BatchRun> runs;
  std::vector<std::vector<std::string>> reports;
  for (const char* jobs : {"1", "2"}) {
    std::vector<std::string> arguments = {"-j", jobs};
    // Each cheap problem twice, so that the two threads interleave.
    for (int copy = 0; copy < 2; ++copy) {
      for (const char* problem : kCheapProblems) {
        const fs::path folder =
            scratch.path() / jobs / (std::string(problem) + "-" + std::to_string(copy));
        copy_inputs(recorded(problem), folder);
        arguments.push_back(folder.filename().string());
      }
    }
    const fs::path here = fs::current_path();
    fs::current_path(scratch.path() / jobs);
    runs.push_back(run_batch_here(arguments));
    fs::current_path(here);
    reports.emplace_back();
    for (std::size_t a = 2; a < arguments.size(); ++a) {
      reports.back().push_back(read_text(scratch.path() / jobs / arguments[a] / "KESTRAL.out"));
    }
  }
  EXPECT_EQ(runs[0].status, 1);
  EXPECT_EQ(runs[1].status, runs[0].status);
  EXPECT_EQ(runs[1].out, runs[0].out);
  EXPECT_EQ(reports[1], reports[0]);
  const int rows = static_cast<int>(lines_of(runs[0].out).size()) - 1;
  EXPECT_EQ(before_summary(runs[1].errors, 10, 2, rows),
            before_summary(runs[0].errors, 10, 2, rows));
  for (std::size_t i = 0; i < reports[0].size(); ++i) {
    const std::string problem = kCheapProblems[i % std::size(kCheapProblems)];
    EXPECT_EQ(reports[0][i], read_text(recorded(problem) / "report.txt")) << problem;
  }
}

TEST(BatchFailures, FailingFoldersDoNotStopTheOthers) {
  ScratchFolder scratch;
  const fs::path root = scratch.path();
  copy_inputs(recorded("half-space-deep"), root / "good-1");
  // No KESTRAL.in, and a report from an earlier run, which must stay.
  copy_inputs(recorded("half-space-deep"), root / "no-problem");
  fs::remove(root / "no-problem" / "KESTRAL.in");
  write_text(root / "no-problem" / "KESTRAL.out", "an earlier report\n");
  // The point list ends early: the report keeps the echo.
  copy_inputs(recorded("conformance-truncated-point-list"), root / "truncated");
  // A wheel flag of 1.5 selects nothing: a note, but not a failure.
  copy_inputs(recorded("half-space-deep"), root / "flag");
  std::string problem = read_text(root / "flag" / "KESTRAL.in");
  problem.replace(problem.rfind('1'), 1, "1.5");
  write_text(root / "flag" / "KESTRAL.in", problem);
  copy_inputs(recorded("thick-subgrade-stiff-bottom"), root / "good-2");
  write_text(root / "a-file", "");

  // What kestral leaves in the same folders.
  std::vector<ProgramRun> kestral;
  for (const char* name : {"no-problem", "truncated", "flag"}) {
    copy_inputs(root / name, root / "kestral" / name);
    if (fs::exists(root / name / "KESTRAL.out")) {
      fs::copy_file(root / name / "KESTRAL.out", root / "kestral" / name / "KESTRAL.out");
    }
    kestral.push_back(run_program_in(root / "kestral" / name));
  }

  const auto path = [&](const char* name) { return (root / name).string(); };
  const BatchRun run =
      run_batch_here({"-j", "2", path("good-1"), path("no-problem"), path("truncated"),
                      path("missing"), path("a-file"), path("flag"), path("good-2")});
  EXPECT_EQ(run.status, 1);
  const int rows = static_cast<int>(lines_of(run.out).size()) - 1;
  EXPECT_EQ(before_summary(run.errors, 7, 4, rows),
            path("no-problem") + ": end-of-file during read, unit 1, file KESTRAL.in\n" +
                path("truncated") + ": end-of-file during read, unit 1, file KESTRAL.in\n" +
                path("missing") + ": no such folder\n" + path("a-file") + ": not a folder\n" +
                path("flag") + ": " + kestral[2].errors);
  EXPECT_EQ(kestral[2].status, 0);
  EXPECT_EQ(read_text(root / "good-1" / "KESTRAL.out"),
            read_text(recorded("half-space-deep") / "report.txt"));
  EXPECT_EQ(read_text(root / "good-2" / "KESTRAL.out"),
            read_text(recorded("thick-subgrade-stiff-bottom") / "report.txt"));
  EXPECT_EQ(read_text(root / "no-problem" / "KESTRAL.out"), "an earlier report\n");
  EXPECT_EQ(read_text(root / "no-problem" / "KESTRAL.out"), kestral[0].report);
  EXPECT_EQ(read_text(root / "truncated" / "KESTRAL.out"), kestral[1].report);
  EXPECT_EQ(read_text(root / "flag" / "KESTRAL.out"), kestral[2].report);
  EXPECT_FALSE(fs::exists(root / "missing"));
  // Only the two good folders have rows, in argument order.
  std::vector<std::string> folders;
  for (const std::string& line : lines_of(run.out)) folders.push_back(csv_cells(line)[0]);
  EXPECT_EQ(folders.front(), "folder");
  EXPECT_EQ(std::count(folders.begin(), folders.end(), path("good-1")), 3);
  EXPECT_EQ(std::count(folders.begin(), folders.end(), path("good-2")), 5);
  EXPECT_EQ(folders.back(), path("good-2"));
  EXPECT_EQ(rows, 8);  // 3 points, and 4 points of which one on an interface
}

TEST(BatchFailures, SharedGaussFileIsNamedAsGiven) {
  ScratchFolder scratch;
  copy_inputs(recorded("half-space-deep"), scratch.path() / "section");
  fs::remove(scratch.path() / "section" / "gauss.qua");
  const std::string folder = (scratch.path() / "section").string();
  const std::string gauss = (recorded("half-space-deep") / "gauss.qua").string();
  EXPECT_EQ(run_batch_here({"--gauss", gauss, folder}).status, 0);
  EXPECT_EQ(read_text(scratch.path() / "section" / "KESTRAL.out"),
            read_text(recorded("half-space-deep") / "report.txt"));

  const std::string missing = (scratch.path() / "no.qua").string();
  const BatchRun run = run_batch_here({"--gauss=" + missing, folder});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(before_summary(run.errors, 1, 1, 0),
            folder + ": end-of-file during read, unit 27, file " + missing + "\n");
}

TEST(BatchFailures, OneFolderNamedTwiceIsListedTwice) {
  ScratchFolder scratch;
  copy_inputs(recorded("half-space-deep"), scratch.path() / "section");
  const std::string once = (scratch.path() / "section").string();
  const std::string again = (scratch.path() / "." / "section" / "").string();
  const BatchRun run = run_batch_here({"-j", "2", once, again});
  EXPECT_EQ(run.status, 0);
  // One folder run, its rows under each name.
  EXPECT_EQ(before_summary(run.errors, 1, 0, 6), "");
  const auto lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 7u);  // the header and the 3 rows twice
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(lines[r].substr(once.size()), lines[r + 3].substr(again.size()));
    EXPECT_EQ(csv_cells(lines[r + 3])[0], again);
  }
  EXPECT_EQ(read_text(scratch.path() / "section" / "KESTRAL.out"),
            read_text(recorded("half-space-deep") / "report.txt"));
}

TEST(BatchCsv, FolderNameWithCommaAndBlank) {
  ScratchFolder scratch;
  const fs::path folder = scratch.path() / "asphalt 80, \"wet\"";
  copy_inputs(recorded("half-space-deep"), folder);
  const BatchRun run = run_batch_here({folder.string()});
  EXPECT_EQ(run.status, 0);
  std::string quoted = folder.string();
  for (std::size_t at = quoted.find('"'); at != std::string::npos; at = quoted.find('"', at + 2)) {
    quoted.insert(at, 1, '"');
  }
  quoted = "\"" + quoted + "\",";
  const auto lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 4u);  // the header and 3 rows
  for (std::size_t r = 1; r < lines.size(); ++r) {
    ASSERT_EQ(lines[r].rfind(quoted, 0), 0u) << lines[r];
    EXPECT_EQ(csv_cells(lines[r].substr(quoted.size() - 1)).size(), 13u);
  }
  EXPECT_EQ(lines[1].substr(quoted.size()), "2000,0,upper,2" + lines[1].substr(quoted.size() + 14));
}

TEST(BatchCommandLine, UsageErrorsExitWithStatus2) {
  ScratchFolder scratch;
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--frobnicate", "a"}, "unknown option --frobnicate"},
      {{}, "no folder given"},
      {{"-j", "none", "a"}, "-j takes a whole number from 1 to 256, not 'none'"},
  };
  for (const auto& [arguments, message] : cases) {
    const BatchRun run = run_batch_program(scratch.path(), arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.errors, "kestral-batch: " + message + "\n" + batch_usage());
  }
  const BatchRun help = run_batch_program(scratch.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, batch_usage());

  // A table that cannot be created: nothing is run.
  copy_inputs(recorded("half-space-deep"), scratch.path() / "section");
  const BatchRun no_table = run_batch_here(
      {"--csv", (scratch.path() / "no" / "t.csv").string(), (scratch.path() / "section").string()});
  EXPECT_EQ(no_table.status, 2);
  EXPECT_EQ(no_table.errors, "kestral-batch: cannot open " +
                                 (scratch.path() / "no" / "t.csv").string() + " for writing\n");
  EXPECT_FALSE(fs::exists(scratch.path() / "section" / "KESTRAL.out"));
}

// Every file under `root` with its content: what a refused command must
// leave exactly as it was.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[entry.path().string()] = read_text(entry.path());
  }
  return files;
}

TEST(BatchTable, FileOfTheBatchIsRefusedAndNothingIsTouched) {
  ScratchFolder scratch;
  for (const char* folder : {"d1", "d2", "d3"}) copy_inputs(recorded("half-space-deep"), scratch.path() / folder);
  write_text(scratch.path() / "d3" / "KESTRAL.out", "the report of an earlier run\nwith two lines\n");
  fs::copy_file(recorded("half-space-deep") / "gauss.qua", scratch.path() / "s.qua");
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"--csv", "d3/KESTRAL.out", "d3"}, "the table d3/KESTRAL.out is the report of folder d3"},
      {{"--csv", "d2/KESTRAL.out", "d1", "d2"}, "the table d2/KESTRAL.out is the report of folder d2"},
      {{"--csv", "d1/KESTRAL.in", "d1", "d2"}, "the table d1/KESTRAL.in is the problem file of folder d1"},
      {{"--csv", "./d2/gauss.qua", "d1", "d2"},
       "the table ./d2/gauss.qua is the quadrature file of folder d2"},
      {{"--gauss", "s.qua", "--csv", "s.qua", "d2"}, "the table s.qua is the shared quadrature file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const auto before = snapshot(scratch.path());
    const BatchRun run = run_batch_program(scratch.path(), c.arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.errors, "kestral-batch: " + c.message + "; name another --csv file\n");
    EXPECT_EQ(snapshot(scratch.path()), before);
    EXPECT_FALSE(fs::exists(scratch.path() / "d2" / "KESTRAL.out"));
  }
  // A table of another name beside them is written, and replaces an
  // earlier table whole.
  write_text(scratch.path() / "d1" / "table.csv", std::string(5000, 'x') + "\n");
  const BatchRun run = run_batch_program(scratch.path(), {"--csv", "d1/table.csv", "d1"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(lines_of(read_text(scratch.path() / "d1" / "table.csv")).size(), 4u);
  EXPECT_EQ(read_text(scratch.path() / "d1" / "table.csv").find('x'), std::string::npos);
}

}  // namespace
}  // namespace kestral::testing
