// Every recorded problem reproduces its report, console stream, standard
// error and exit status byte for byte: speed work must not change a digit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

const std::filesystem::path kRecorded = std::filesystem::path(KESTRAL_SOURCE_DIR) / "tests" / "regression";

std::vector<std::string> recorded_problems() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(kRecorded)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class RecordedRun : public ::testing::TestWithParam<std::string> {};

TEST_P(RecordedRun, ReproducesItsOutputsByteForByte) {
  const auto folder = kRecorded / GetParam();
  ScratchFolder scratch;
  for (const char* name : {"KESTRAL.in", "gauss.qua"}) {
    std::filesystem::copy_file(folder / name, scratch.path() / name);
  }
  const ProgramRun run = run_program_in(scratch.path());
  EXPECT_EQ(run.status, std::stoi(read_text(folder / "rc.txt")));
  EXPECT_EQ(run.errors, read_text(folder / "stderr.txt"));
  EXPECT_EQ(run.console, read_text(folder / "console.txt"));
  EXPECT_EQ(run.report, read_text(folder / "report.txt"));
}

INSTANTIATE_TEST_SUITE_P(Problems, RecordedRun, ::testing::ValuesIn(recorded_problems()),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace kestral::testing
