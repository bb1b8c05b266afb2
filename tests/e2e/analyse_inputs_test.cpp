// kestral-analyse's command line against odd inputs: files that are not
// files, huge files, standard input, a legacy file without --legacy, the
// inputs of a run as its target, and the printing options. One table; each
// row gives the arguments, the status and a piece of standard error.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/csv_reading.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

const std::string kAnalyse = KESTRAL_ANALYSE_EXE;
const fs::path kDualWheel = fs::path(KESTRAL_SOURCE_DIR) / "examples" / "dual-wheel";

const std::string kProblem = R"({"layers": [{"E": 3000, "nu": 0.35, "thickness": 150}, {"E": 60, "nu": 0.4}],
  "loads": [{"load": 20000, "pressure": 0.56}], "points": [{"z": 0}, {"z": 150, "x": 100}]})";

struct InputCase {
  std::vector<std::string> arguments;  // "<" first: the rest through sh, with standard input redirected
  int status;
  std::string error_piece;  // in standard error; empty: standard error empty
};

ProgramRun run_in(const fs::path& folder, const std::vector<std::string>& arguments) {
  if (!arguments.empty() && arguments[0] == "<") {
    return run_program_in(folder, "/bin/sh", {"-c", "'" + kAnalyse + "' - < " + arguments[1]});
  }
  return run_program_in(folder, kAnalyse, arguments);
}

TEST(AnalyseInputs, OddFilesAndArguments) {
  ScratchFolder folder;
  write_text(folder.path() / "p.json", kProblem);
  fs::copy_file(kDualWheel / "KESTRAL.in", folder.path() / "KESTRAL.in");
  fs::copy_file(kDualWheel / "gauss.qua", folder.path() / "gauss.qua");
  ASSERT_EQ(::mkfifo((folder.path() / "fifo.json").c_str(), 0644), 0);
  write_text(folder.path() / "big.json", std::string((std::size_t{32} << 20) + 1, ' '));
  const std::vector<InputCase> cases = {
      {{"/dev/zero"}, 1, "/dev/zero: cannot read: not a regular file"},
      {{"/dev/urandom"}, 1, "/dev/urandom: cannot read: not a regular file"},
      {{"fifo.json"}, 1, "fifo.json: cannot read: not a regular file"},
      {{"big.json"}, 1, "big.json: cannot read: larger than 32 MiB"},
      {{"KESTRAL.in"}, 1, "not valid JSON: syntax error"},
      {{"KESTRAL.in"}, 1, "; it looks like a legacy KESTRAL.in: give --legacy"},
      {{"<", "p.json"}, 0, ""},
      {{"<", "KESTRAL.in"}, 1, "standard input: line 1"},
      {{"--legacy", "-"}, 2, "--legacy reads a KESTRAL.in file and the gauss.qua beside it, not standard input"},
      {{"--legacy", "KESTRAL.in", "-o", "gauss.qua"}, 2, "-o gauss.qua is the quadrature file gauss.qua of the problem"},
      {{"--legacy", "KESTRAL.in", "-o", "KESTRAL.in"}, 2, "-o KESTRAL.in is the problem file itself"},
      {{"p.json", "-o", "p.json"}, 2, "-o p.json is the problem file itself"},
      {{"p.json", "--digits", "0"}, 2, "--digits is 0, must be 1 to 17 or all"},
      {{"p.json", "--digits", "estimate"}, 2, "--digits is estimate, must be 1 to 17 or all"},
      {{"p.json", "--strain-unit", "percent"}, 2, "--strain-unit"},
      {{"p.json", "-j", "256"}, 0, ""},
  };
  for (const InputCase& c : cases) {
    std::string line;
    for (const std::string& a : c.arguments) line += a + " ";
    SCOPED_TRACE(line);
    const ProgramRun run = run_in(folder.path(), c.arguments);
    EXPECT_EQ(run.status, c.status) << run.errors;
    if (c.error_piece.empty()) {
      EXPECT_EQ(run.errors, "");
    } else {
      EXPECT_NE(run.errors.find(c.error_piece), std::string::npos) << run.errors;
      EXPECT_EQ(run.console, "");
    }
  }
  // Nothing replaced the inputs.
  EXPECT_EQ(read_text(folder.path() / "gauss.qua"), read_text(kDualWheel / "gauss.qua"));
  EXPECT_EQ(read_text(folder.path() / "p.json"), kProblem);
}

// Standard input gives the file's table; -j beyond the work the same bytes;
// --digits N at most N significant digits; microstrain a million times the
// strain.
TEST(AnalyseInputs, PrintingOptions) {
  ScratchFolder folder;
  write_text(folder.path() / "p.json", kProblem);
  const std::string table = run_in(folder.path(), {"p.json"}).console;
  EXPECT_EQ(run_in(folder.path(), {"<", "p.json"}).console, table);
  EXPECT_EQ(run_in(folder.path(), {"p.json", "-j", "256"}).console, table);
  const CsvTable all = parse_csv(run_in(folder.path(), {"p.json", "--digits", "all"}).console);
  const CsvTable three = parse_csv(run_in(folder.path(), {"p.json", "--digits", "3"}).console);
  const CsvTable micro = parse_csv(run_in(folder.path(), {"p.json", "--strain-unit", "microstrain", "--digits", "all"}).console);
  for (const char* name : {"szz_MPa", "uz_mm", "exx"}) {
    const auto exact = all.numbers(name);
    const auto rounded = three.numbers(name);
    for (std::size_t i = 0; i < exact.size(); ++i) {
      // Three significant digits: within half a unit of the third.
      EXPECT_LE(std::abs(rounded[i] - exact[i]), 0.5e-2 * std::abs(exact[i])) << name;
    }
  }
  const auto strain = all.numbers("ezz");
  const auto microstrain = micro.numbers("ezz_microstrain");
  for (std::size_t i = 0; i < strain.size(); ++i) {
    // One multiplication by 1e6: half an ulp of the product.
    EXPECT_NEAR(microstrain[i], strain[i] * 1e6, 1.2e-16 * std::abs(strain[i] * 1e6));
  }
  const std::string help = run_in(folder.path(), {"--help"}).console;
  for (const char* piece : {"docs/", "examples/", "\"layers\"", "--digits", "--strain-unit"}) {
    EXPECT_NE(help.find(piece), std::string::npos) << piece;
  }
}

}  // namespace
}  // namespace kestral::testing
