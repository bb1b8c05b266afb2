// The inputs kept in tests/fuzz/regressions/, each of which once broke a
// property of tests/fuzz/run_invariants.h (the README there tells what each
// one did), replayed through run_analysis with the same checks as the fuzz
// target, and through the built program, which must exit with status 0 or 1
// (never by a signal) and print no non-finite value.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/fuzz/run_invariants.h"

namespace {

namespace fs = std::filesystem;
using kestral::testing::read_text;

const fs::path kRegressions = fs::path(KESTRAL_SOURCE_DIR) / "tests" / "fuzz" / "regressions";

std::vector<std::string> kept_inputs() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kRegressions)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Read from the folder when the test runs, so that a newly kept input is
// replayed without rebuilding the test.
TEST(KeptFuzzInputs, RunHoldsEveryProperty) {
  const std::vector<std::string> names = kept_inputs();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string bytes = read_text(kRegressions / name);
    ASSERT_FALSE(bytes.empty());
    const kestral::testing::ScratchFolder folder;
    EXPECT_EQ(kestral::fuzz::check_run(folder.path(), kestral::fuzz::split_run_input(bytes)), "");
  }
}

TEST(KeptFuzzInputs, ProgramExitsWithStatusZeroOrOne) {
  for (const std::string& name : kept_inputs()) {
    SCOPED_TRACE(name);
    const std::string bytes = read_text(kRegressions / name);
    const kestral::fuzz::RunInput input = kestral::fuzz::split_run_input(bytes);
    const kestral::testing::ScratchFolder folder;
    kestral::testing::write_text(folder.path() / "KESTRAL.in", std::string(input.problem));
    if (input.has_gauss) {
      kestral::testing::write_text(folder.path() / "gauss.qua", std::string(input.gauss));
    }
    const kestral::testing::ProgramRun run = kestral::testing::run_program_in(folder.path());
    EXPECT_TRUE(run.status == 0 || run.status == 1) << "status " << run.status << "\n"
                                                    << run.errors;
    EXPECT_FALSE(kestral::fuzz::detail::shows_non_finite(run.report)) << run.report;
    EXPECT_FALSE(kestral::fuzz::detail::shows_non_finite(run.console)) << run.console;
  }
}

}  // namespace
