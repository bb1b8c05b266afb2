// Interrupted runs leave every earlier file whole. kestral and kestral-batch
// run as real child processes on slow problems (surface points of a
// five-layer section, integrated up to m = 150) and get a real signal once
// they are past the echo, that is while a report is being written: the
// previous report and table stay byte for byte, no temporary file is left,
// and the program ends by the signal. A completed run afterwards replaces
// the report whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

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

const fs::path kSource = KESTRAL_SOURCE_DIR;

// About 0.3 s in an optimised build; most of it after the echo.
std::string slow_problem() {
  std::string text = "5\n3000 2000 300 150 60\n0.35 0.35 0.35 0.4 0.45\n50 100 150 200\n20000 0.56\n15\n";
  for (int i = 0; i < 15; ++i) text += "0 " + std::to_string(140 * i) + "\n";
  return text + "2\n";
}

void write_slow_folder(const fs::path& folder) {
  fs::create_directories(folder);
  write_text(folder / "KESTRAL.in", slow_problem());
  fs::copy_file(kSource / "examples" / "dual-wheel" / "gauss.qua", folder / "gauss.qua");
}

const std::string kPreviousReport =
    "  a complete report of an earlier run\n  with its rows\n    0.00    0.00 ...\n";
const std::string kPreviousTable = "folder,Z,R\nearlier,0,0\n";

// Runs the program, signals it once `started` holds (or once it has run for
// a while, should it never hold), and waits for its end.
ChildEnd run_and_signal(const ChildOptions& options, int signal_number,
                        const std::function<bool()>& started) {
  const pid_t pid = start_child(options);
  EXPECT_GT(pid, 0);
  wait_until(started, milliseconds(20000));
  ::kill(pid, signal_number);
  return wait_child(pid, milliseconds(60000));
}

TEST(InterruptedRun, LeavesThePreviousReportWhole) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "run";
    write_slow_folder(folder);
    write_text(folder / "KESTRAL.out", kPreviousReport);
    ChildOptions options;
    options.folder = folder;
    options.executable = KESTRAL_EXE;
    options.console = scratch.path() / "console.txt";
    options.errors = scratch.path() / "errors.txt";
    // Past the echo: a temporary report exists (or, without one, the report
    // itself has changed).
    const ChildEnd end = run_and_signal(options, signal_number, [&] {
      return !temporary_files_in(folder).empty() || read_text(folder / "KESTRAL.out") != kPreviousReport;
    });
    if (end.exited && end.status == 0) {
      GTEST_SKIP() << "the run ended before the signal reached it";
    }
    EXPECT_TRUE(end.signalled) << "status " << end.status;
    EXPECT_EQ(end.signal, signal_number);
    EXPECT_EQ(read_text(folder / "KESTRAL.out"), kPreviousReport);
    EXPECT_EQ(temporary_files_in(folder), std::vector<std::string>{});
  }
}

TEST(InterruptedRun, CompletedRunReplacesTheReportWhole) {
  ScratchFolder scratch;
  const fs::path folder = scratch.path() / "run";
  fs::create_directories(folder);
  for (const char* name : {"KESTRAL.in", "gauss.qua"}) {
    fs::copy_file(kSource / "examples" / "dual-wheel" / name, folder / name);
  }
  write_text(folder / "KESTRAL.out", kPreviousReport);
  fs::permissions(folder / "KESTRAL.out", fs::perms::owner_read | fs::perms::owner_write |
                                              fs::perms::group_read);
  const ProgramRun run = run_program_in(folder);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.report, read_text(kSource / "examples" / "dual-wheel" / "expected" / "KESTRAL.out"));
  EXPECT_EQ(temporary_files_in(folder), std::vector<std::string>{});
  // The replacement keeps the report's permission bits.
  EXPECT_EQ(fs::status(folder / "KESTRAL.out").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(InterruptedBatch, LeavesThePreviousTableAndEveryReportWhole) {
  ScratchFolder scratch;
  const fs::path root = scratch.path();
  std::vector<std::string> arguments = {"-j", "2", "--csv", "table.csv"};
  for (int i = 0; i < 6; ++i) {
    const std::string name = "section-" + std::to_string(i);
    write_slow_folder(root / name);
    write_text(root / name / "KESTRAL.out", kPreviousReport);
    arguments.push_back(name);
  }
  write_text(root / "table.csv", kPreviousTable);
  // What kestral writes for the section, to tell a whole new report.
  write_slow_folder(root / "reference");
  const std::string complete = run_program_in(root / "reference").report;
  ASSERT_FALSE(complete.empty());

  ChildOptions options;
  options.folder = root;
  options.executable = KESTRAL_BATCH_EXE;
  options.arguments = arguments;
  options.console = root / "console.txt";
  options.errors = root / "errors.txt";
  // Signalled while reports are being written (and, for a batch that wrote
  // its table in place, once the table has changed).
  const ChildEnd end = run_and_signal(options, SIGTERM, [&] {
    for (int i = 0; i < 6; ++i) {
      if (!temporary_files_in(root / ("section-" + std::to_string(i))).empty()) return true;
    }
    return read_text(root / "table.csv") != kPreviousTable;
  });
  if (end.exited) GTEST_SKIP() << "the batch ended before the signal reached it";
  EXPECT_TRUE(end.signalled);
  EXPECT_EQ(end.signal, SIGTERM);
  EXPECT_EQ(read_text(root / "table.csv"), kPreviousTable);
  EXPECT_EQ(temporary_files_in(root), std::vector<std::string>{});
  for (int i = 0; i < 6; ++i) {
    const fs::path folder = root / ("section-" + std::to_string(i));
    EXPECT_EQ(temporary_files_in(folder), std::vector<std::string>{}) << folder;
    const std::string report = read_text(folder / "KESTRAL.out");
    EXPECT_TRUE(report == kPreviousReport || report == complete) << folder << "\n" << report;
  }
}

}  // namespace
}  // namespace kestral::testing
