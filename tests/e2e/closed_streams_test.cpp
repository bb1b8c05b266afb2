// Programs started with a standard descriptor closed: no file they open may
// take its number. A console that cannot be written is still a failure with
// its message; diagnostics nobody can read are dropped; the reports are
// exactly those of a run with every descriptor open.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const fs::path kRecorded = fs::path(KESTRAL_SOURCE_DIR) / "tests" / "regression";

struct Ended {
  ChildEnd end;
  std::string console;
  std::string errors;
};

Ended run_child(ChildOptions options) {
  const pid_t pid = start_child(options);
  Ended ended;
  ended.end = wait_child(pid, milliseconds(60000));
  if (!options.console.empty()) ended.console = read_text(options.console);
  if (!options.errors.empty()) ended.errors = read_text(options.errors);
  return ended;
}

TEST(ClosedStreams, ClosedStandardOutputFailsAndLeavesTheReportClean) {
  ScratchFolder scratch;
  copy_recorded_problem("half-space-deep", scratch.path() / "run");
  ChildOptions options;
  options.folder = scratch.path() / "run";
  options.executable = KESTRAL_EXE;
  options.errors = scratch.path() / "errors.txt";  // standard output closed
  const Ended run = run_child(options);
  EXPECT_TRUE(run.end.exited);
  EXPECT_EQ(run.end.status, 1);
  EXPECT_EQ(run.errors, "cannot write the console stream (standard output)\n");
  EXPECT_EQ(read_text(scratch.path() / "run" / "KESTRAL.out"),
            read_text(kRecorded / "half-space-deep" / "report.txt"));
}

TEST(ClosedStreams, ClosedStandardErrorKeepsNotesOutOfTheReport) {
  ScratchFolder scratch;
  const fs::path folder = scratch.path() / "run";
  copy_recorded_problem("half-space-deep", folder);
  // A wheel flag of 3: a note on standard error, nothing computed.
  std::string problem = read_text(folder / "KESTRAL.in");
  problem[problem.rfind('1')] = '3';
  write_text(folder / "KESTRAL.in", problem);
  const ProgramRun open_run = run_program_in(folder);
  ASSERT_FALSE(open_run.errors.empty());
  fs::remove(folder / "KESTRAL.out");

  ChildOptions options;
  options.folder = folder;
  options.executable = KESTRAL_EXE;
  options.console = scratch.path() / "console.txt";  // standard error closed
  const Ended run = run_child(options);
  EXPECT_TRUE(run.end.exited);
  EXPECT_EQ(run.end.status, 0);
  EXPECT_EQ(run.console, open_run.console);
  EXPECT_EQ(read_text(folder / "KESTRAL.out"), open_run.report);
}

TEST(ClosedStreams, ClosedStandardInputChangesNothing) {
  ScratchFolder scratch;
  copy_recorded_problem("half-space-deep", scratch.path() / "run");
  ChildOptions options;
  options.folder = scratch.path() / "run";
  options.executable = KESTRAL_EXE;
  options.console = scratch.path() / "console.txt";
  options.errors = scratch.path() / "errors.txt";
  options.close_input = true;
  const Ended run = run_child(options);
  EXPECT_EQ(run.end.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.console, read_text(kRecorded / "half-space-deep" / "console.txt"));
  EXPECT_EQ(read_text(scratch.path() / "run" / "KESTRAL.out"),
            read_text(kRecorded / "half-space-deep" / "report.txt"));
}

// Deep points of a three-layer section under a dual wheel: 15 rows of the
// table in a few milliseconds, most of them spent with the report open.
std::string slow_problem() {
  std::string text = "3\n3000 300 60\n0.35 0.35 0.4\n150 250\n20000 0.56\n15\n";
  for (int i = 0; i < 15; ++i) text += std::to_string(1000 + 20 * i) + " " + std::to_string(20 * i) + "\n";
  return text + "2\n";
}

TEST(ClosedStreams, BatchWithClosedStandardOutputWritesOnlyReports) {
  ScratchFolder scratch;
  const auto make = [&](const fs::path& folder) {
    fs::create_directories(folder);
    write_text(folder / "KESTRAL.in", slow_problem());
    fs::copy_file(kRecorded / "shipped-example" / "gauss.qua", folder / "gauss.qua");
  };
  make(scratch.path() / "reference");
  const std::string expected = run_program_in(scratch.path() / "reference").report;
  ASSERT_FALSE(expected.empty());
  // Sixteen folders give a table (240 rows) several times larger than a
  // stdio buffer, written while other reports are open.
  ChildOptions options;
  options.folder = scratch.path();
  options.executable = KESTRAL_BATCH_EXE;
  options.arguments = {"-j", "2"};
  for (int i = 0; i < 16; ++i) {
    make(scratch.path() / ("section-" + std::to_string(i)));
    options.arguments.push_back("section-" + std::to_string(i));
  }
  options.errors = scratch.path() / "errors.txt";
  const Ended run = run_child(options);
  EXPECT_TRUE(run.end.exited);
  EXPECT_EQ(run.end.status, 1);
  EXPECT_EQ(run.errors.rfind("kestral-batch: could not write the table to standard output\n", 0), 0u)
      << run.errors;
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(read_text(scratch.path() / ("section-" + std::to_string(i)) / "KESTRAL.out"), expected)
        << i;
  }
}

}  // namespace
}  // namespace kestral::testing
