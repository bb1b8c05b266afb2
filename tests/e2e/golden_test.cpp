// Whole runs against stored outputs.
//
// The shipped example must reproduce its expected report and console byte
// for byte. The conformance problems come from an independent
// implementation: their layouts, labels, messages and exit statuses must
// match exactly, their values to the printed digits, up to a difference in
// the last printed digit where the two implementations round differently
// and up to noise that is tiny against the values of the same quantity
// (a shear stress of 1e-9 MPa on the axis).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

const std::filesystem::path kSource = KESTRAL_SOURCE_DIR;

std::vector<std::string> lines_of(const std::string& text) { return split_lines(text); }

ProgramRun run_problem(const std::filesystem::path& problem_folder, const ScratchFolder& scratch) {
  for (const char* name : {"KESTRAL.in", "gauss.qua"}) {
    std::filesystem::copy_file(problem_folder / name, scratch.path() / name);
  }
  return run_program_in(scratch.path());
}

// A report row: 16 characters of Z, R (and the L of an interface row), then
// eight scientific fields of 11 characters.
bool is_result_row(const std::string& line) {
  return line.size() == 104 && line[23] == 'E' && line[18] == '.';
}

// One unit in the last printed digit of a 0.dddd E+xx field.
double last_digit_unit(const std::string& field) {
  return std::pow(10.0, std::stoi(field.substr(8)) - 4);
}

// Largest magnitude of each column over all rows: the scale of its noise.
std::vector<double> column_scales(const std::vector<std::string>& lines) {
  std::vector<double> scales(8, 0.0);
  for (const std::string& line : lines) {
    if (!is_result_row(line)) continue;
    for (int c = 0; c < 8; ++c) {
      scales[c] = std::max(scales[c], std::fabs(std::stod(line.substr(16 + 11 * c, 11))));
    }
  }
  return scales;
}

// Relative size of noise accepted in a value against the largest value of its
// quantity: single-precision sums of terms that cancel to nothing.
constexpr double kNoiseAgainstScale = 1e-5;

void expect_reports_agree(const std::string& actual, const std::string& expected) {
  const auto got = lines_of(actual);
  const auto want = lines_of(expected);
  ASSERT_EQ(got.size(), want.size()) << actual;
  const auto scales = column_scales(want);
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (!is_result_row(want[i])) {
      EXPECT_EQ(got[i], want[i]) << "report line " << i + 1;
      continue;
    }
    ASSERT_EQ(got[i].size(), want[i].size()) << "report line " << i + 1;
    EXPECT_EQ(got[i].substr(0, 16), want[i].substr(0, 16)) << "report line " << i + 1;
    for (int c = 0; c < 8; ++c) {
      const std::string field_got = got[i].substr(16 + 11 * c, 11);
      const std::string field_want = want[i].substr(16 + 11 * c, 11);
      EXPECT_TRUE(field_got[2] == '.' && field_got[7] == 'E') << field_got;
      const double tolerance = last_digit_unit(field_want) + kNoiseAgainstScale * scales[c];
      EXPECT_NEAR(std::stod(field_got), std::stod(field_want), tolerance)
          << "report line " << i + 1 << ", value " << c + 1;
    }
  }
}

void expect_consoles_agree(const std::string& actual, const std::string& expected) {
  const auto got = lines_of(actual);
  const auto want = lines_of(expected);
  ASSERT_EQ(got.size(), want.size()) << actual;
  // Scale of each labelled quantity over the whole stream.
  std::map<std::string, double> scales;
  for (const std::string& line : want) {
    if (line.size() == 30 && line.substr(8, 7) == " value=") {
      double& scale = scales[line.substr(0, 15)];
      scale = std::max(scale, std::fabs(std::stod(line.substr(15))));
    }
  }
  for (std::size_t i = 0; i < want.size(); ++i) {
    const bool valued = want[i].size() == 30 && want[i].substr(8, 7) == " value=";
    if (!valued) {
      EXPECT_EQ(got[i], want[i]) << "console line " << i + 1;
      continue;
    }
    ASSERT_EQ(got[i].size(), 30u) << got[i];
    EXPECT_EQ(got[i].substr(0, 15), want[i].substr(0, 15)) << "console line " << i + 1;
    const double value = std::stod(want[i].substr(15));
    // Seven or eight printed digits: a few units of the last of them.
    const double tolerance = 1e-5 * std::fabs(value) + kNoiseAgainstScale * scales[want[i].substr(0, 15)];
    EXPECT_NEAR(std::stod(got[i].substr(15)), value, tolerance) << "console line " << i + 1;
  }
}

class Conformance : public ::testing::TestWithParam<std::string> {};

TEST_P(Conformance, AgreesWithTheIndependentImplementation) {
  const auto folder = kSource / "tests" / "conformance" / GetParam();
  ScratchFolder scratch;
  const ProgramRun run = run_problem(folder, scratch);
  EXPECT_EQ(run.status, std::stoi(read_text(folder / "rc.txt")));
  EXPECT_EQ(run.errors, read_text(folder / "stderr.txt"));
  expect_reports_agree(run.report, read_text(folder / "KESTRAL.out"));
  expect_consoles_agree(run.console, read_text(folder / "console.txt"));
}

INSTANTIATE_TEST_SUITE_P(Problems, Conformance,
                         ::testing::Values("three-layer-single", "four-layer-dual",
                                           "two-layer-free-format", "truncated-point-list"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(ShippedExample, ReproducesItsExpectedReportAndConsole) {
  const auto folder = kSource / "examples" / "dual-wheel";
  ScratchFolder scratch;
  const ProgramRun run = run_problem(folder, scratch);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.report, read_text(folder / "expected" / "KESTRAL.out"));
  EXPECT_EQ(run.console, read_text(folder / "expected" / "console.txt"));
}

}  // namespace
}  // namespace kestral::testing
