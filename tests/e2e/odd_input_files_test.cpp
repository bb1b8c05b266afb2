// Input files that are not files: a device that never ends, a FIFO nobody
// writes, a file far larger than any problem. Each is refused with one line
// naming it, within seconds and in bounded memory, and a batch goes on with
// its other folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

// The sanitizers reserve far more address space than any limit would allow.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr long kMemoryLimit = 0;
#else
constexpr long kMemoryLimit = 512L << 20;
#endif

// Well above the seconds a refusal takes on a loaded machine, well below a
// hang.
constexpr milliseconds kNoHang{20000};

struct Ended {
  ChildEnd end;
  std::string errors;
};

Ended run_bounded(const fs::path& folder, const std::string& executable,
                  const std::vector<std::string>& arguments, const fs::path& capture) {
  ChildOptions options;
  options.folder = folder;
  options.executable = executable;
  options.arguments = arguments;
  options.console = capture / "console.txt";
  options.errors = capture / "errors.txt";
  options.memory_limit_bytes = kMemoryLimit;
  const pid_t pid = start_child(options);
  Ended ended;
  ended.end = wait_child(pid, kNoHang);
  ended.errors = read_text(options.errors);
  return ended;
}

TEST(OddInputFiles, DevicesAndFifosAreRefusedAtOnce) {
  const struct {
    const char* file;
    const char* kind;  // "zero", "urandom", "fifo"
    std::string message;
  } cases[] = {
      {"KESTRAL.in", "zero", "cannot read file KESTRAL.in, unit 1: not a regular file\n"},
      {"KESTRAL.in", "urandom", "cannot read file KESTRAL.in, unit 1: not a regular file\n"},
      {"gauss.qua", "zero", "cannot read file gauss.qua, unit 27: not a regular file\n"},
      {"KESTRAL.in", "fifo", "cannot read file KESTRAL.in, unit 1: not a regular file\n"},
      {"gauss.qua", "fifo", "cannot read file gauss.qua, unit 27: not a regular file\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.kind);
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "run";
    copy_recorded_problem("half-space-deep", folder);
    fs::remove(folder / c.file);
    if (std::string(c.kind) == "fifo") {
      ASSERT_EQ(::mkfifo((folder / c.file).c_str(), 0644), 0);
    } else {
      fs::create_symlink(std::string("/dev/") + c.kind, folder / c.file);
    }
    const Ended run = run_bounded(folder, KESTRAL_EXE, {}, scratch.path());
    EXPECT_FALSE(run.end.timed_out);
    EXPECT_TRUE(run.end.exited);
    EXPECT_EQ(run.end.status, 1);
    EXPECT_EQ(run.errors, c.message);
    EXPECT_EQ(read_text(folder / "KESTRAL.out"), "");
  }
}

TEST(OddInputFiles, FileBeyondTheSizeLimitIsRefused) {
  ScratchFolder scratch;
  const fs::path folder = scratch.path() / "run";
  copy_recorded_problem("half-space-deep", folder);
  // The problem followed by 5 MiB of remarks.
  write_text(folder / "KESTRAL.in",
             read_text(folder / "KESTRAL.in") + std::string(5 << 20, ' ') + "\n");
  const Ended run = run_bounded(folder, KESTRAL_EXE, {}, scratch.path());
  EXPECT_EQ(run.end.status, 1);
  EXPECT_EQ(run.errors, "cannot read file KESTRAL.in, unit 1: larger than 4 MiB\n");
  // Just inside the limit it runs as the plain problem does.
  write_text(folder / "KESTRAL.in", read_text(kRecorded / "half-space-deep" / "KESTRAL.in") +
                                        std::string(3 << 20, ' ') + "\n");
  const Ended inside = run_bounded(folder, KESTRAL_EXE, {}, scratch.path());
  EXPECT_EQ(inside.end.status, 0) << inside.errors;
  EXPECT_EQ(read_text(folder / "KESTRAL.out"), read_text(kRecorded / "half-space-deep" / "report.txt"));
}

TEST(OddInputFiles, BatchGoesOnPastAFifoFolder) {
  ScratchFolder scratch;
  copy_recorded_problem("half-space-deep", scratch.path() / "good");
  copy_recorded_problem("half-space-deep", scratch.path() / "fifo");
  fs::remove(scratch.path() / "fifo" / "KESTRAL.in");
  ASSERT_EQ(::mkfifo((scratch.path() / "fifo" / "KESTRAL.in").c_str(), 0644), 0);
  const Ended run = run_bounded(scratch.path(), KESTRAL_BATCH_EXE,
                                {"--csv", "table.csv", "fifo", "good"}, scratch.path());
  EXPECT_FALSE(run.end.timed_out);
  EXPECT_EQ(run.end.status, 1);
  EXPECT_EQ(run.errors.rfind("fifo: cannot read file KESTRAL.in, unit 1: not a regular file\n"
                             "kestral-batch: 2 folders run, 1 failed, 3 rows, ",
                             0),
            0u)
      << run.errors;
  EXPECT_EQ(read_text(scratch.path() / "good" / "KESTRAL.out"),
            read_text(kRecorded / "half-space-deep" / "report.txt"));
}

}  // namespace
}  // namespace kestral::testing
