// kestral-batch as a whole, in this process: help and usage errors, the
// table replaced whole in its file, and a table that cannot be written is a
// failure with its message.
#include "driver/batch_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "driver/batch_command_line.h"
#include "driver/batch_csv.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string errors;
};

Outcome run(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream errors;
  Outcome outcome;
  outcome.status = batch_main(arguments, out, errors, false, 2);
  outcome.out = out.str();
  outcome.errors = errors.str();
  return outcome;
}

TEST(BatchProgram, HelpAndUsageErrors) {
  EXPECT_EQ(run({"-h"}).out, batch_usage());
  EXPECT_EQ(run({"-h"}).status, 0);
  const Outcome wrong = run({"--frobnicate", "a"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.errors, "kestral-batch: unknown option --frobnicate\n" + batch_usage());
}

TEST(BatchProgram, TableReplacedWholeOrReportedUnwritten) {
  ScratchFolder scratch;
  const fs::path recorded = fs::path(KESTRAL_SOURCE_DIR) / "tests" / "regression" / "half-space-deep";
  fs::create_directories(scratch.path() / "d");
  for (const char* file : {"KESTRAL.in", "gauss.qua"}) fs::copy_file(recorded / file, scratch.path() / "d" / file);
  const std::string table = (scratch.path() / "t.csv").string();
  write_text(table, "an earlier, longer table\n" + std::string(4000, '~') + "\n");
  const Outcome written = run({"--csv", table, (scratch.path() / "d").string()});
  EXPECT_EQ(written.status, 0) << written.errors;
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(read_text(table).rfind(csv_header() + "\n", 0), 0u);
  EXPECT_EQ(read_text(table).find('~'), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 2);

  if (fs::exists("/dev/full")) {
    const Outcome full = run({"--csv", "/dev/full", (scratch.path() / "d").string()});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.errors.rfind("kestral-batch: could not write the table to /dev/full\n", 0), 0u)
        << full.errors;
  }
}

}  // namespace
}  // namespace kestral::testing
