// kestral and kestral-analyse --legacy read a legacy problem through one
// reader: every rejected input of tests/support/rejections.h, and every
// input file that is not a file to read, gets the same first line on
// standard error from both, status 1, and no table from kestral-analyse.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/rejections.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

const std::string kAnalyse = KESTRAL_ANALYSE_EXE;

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

// Both programs on the folder; the message they agree on.
void expect_same_refusal(const fs::path& folder, const std::string& message) {
  const ProgramRun legacy = run_program_in(folder);
  const ProgramRun analyse = run_program_in(folder, kAnalyse, {"--legacy", "KESTRAL.in"});
  EXPECT_EQ(legacy.status, 1);
  EXPECT_EQ(analyse.status, 1);
  EXPECT_EQ(analyse.console, "");
  EXPECT_EQ(first_line(legacy.errors), message);
  EXPECT_EQ(first_line(analyse.errors), message);
}

TEST(LegacyReaders, EveryRejectedInputHasTheSameMessage) {
  for (const Rejection& rejection : rejected_inputs()) {
    SCOPED_TRACE(rejection.what);
    ScratchFolder folder;
    write_text(folder.path() / "KESTRAL.in", rejection.problem);
    write_text(folder.path() / "gauss.qua", rejection.gauss);
    expect_same_refusal(folder.path(), rejection.message);
  }
}

// Files that are not what a reader may read, and rules that are not
// Gauss-Legendre rules.
TEST(LegacyReaders, OddFilesAndWrongRulesHaveTheSameMessage) {
  const std::string problem = three_layer_head() + "1\n700 0\n1\n";
  const std::string rule4 = "4\n-0.86113631 0.34785485\n-0.33998104 0.65214515\n";
  struct Case {
    std::string what;
    std::function<void(const fs::path&)> make;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"KESTRAL.in a FIFO", [](const fs::path& f) { ::mkfifo((f / "KESTRAL.in").c_str(), 0644); },
       "cannot read file KESTRAL.in, unit 1: not a regular file"},
      {"gauss.qua a FIFO", [](const fs::path& f) { ::mkfifo((f / "gauss.qua").c_str(), 0644); },
       "cannot read file gauss.qua, unit 27: not a regular file"},
      {"KESTRAL.in leads to /dev/zero",
       [](const fs::path& f) { fs::create_symlink("/dev/zero", f / "KESTRAL.in"); },
       "cannot read file KESTRAL.in, unit 1: not a regular file"},
      {"KESTRAL.in of 5 MB",
       [&](const fs::path& f) { write_text(f / "KESTRAL.in", problem + std::string(5'000'000, ' ')); },
       "cannot read file KESTRAL.in, unit 1: larger than 4 MiB"},
      {"three order-1 rules", [](const fs::path& f) { write_text(f / "gauss.qua", "1\n1\n1\n"); }, ""},
      {"a slipped weight",
       [&](const fs::path& f) {
         write_text(f / "gauss.qua", rule4 + rule4 + "4\n-0.86113631 0.34785485\n-0.33998104 0.666713443\n");
       },
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    write_text(folder.path() / "KESTRAL.in", problem);
    write_text(folder.path() / "gauss.qua", rule4 + rule4 + rule4);
    fs::remove(folder.path() / (c.what.starts_with("gauss") || c.message.empty() ? "gauss.qua" : "KESTRAL.in"));
    c.make(folder.path());
    // The rule checks have their own wording: whatever kestral says.
    const std::string message = c.message.empty() ? first_line(run_program_in(folder.path()).errors) : c.message;
    EXPECT_NE(message, "");
    expect_same_refusal(folder.path(), message);
  }
}

}  // namespace
}  // namespace kestral::testing
