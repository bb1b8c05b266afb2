// Every problem file in examples/ (and the shipped legacy example through
// --legacy) runs and reproduces the table stored beside it in expected/.
// Texts and coordinates must match exactly; a result may move by its error
// estimates, so that a better engine does not need new tables: the engine
// bounds each value's error by its row's estimate, so two honest runs differ
// by at most the sum of their estimates (twice that, for margin).
#include <gtest/gtest.h>

#include <cmath>

#include "tests/e2e/csv_reading.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(KESTRAL_SOURCE_DIR) / "examples";
const std::string kAnalyse = KESTRAL_ANALYSE_EXE;

// The error column that bounds a result column, by its heading; none for
// the columns that must match exactly.
std::string error_column(const std::string& heading, const std::vector<std::string>& header) {
  static const std::vector<std::pair<std::vector<std::string>, std::string>> kinds{
      {{"sxx", "syy", "szz", "sxy", "syz", "sxz", "s1", "s2", "s3"}, "stress_error"},
      {{"ux", "uy", "uz"}, "displacement_error"},
      {{"exx", "eyy", "ezz", "exy", "eyz", "exz", "e1", "e2", "e3", "e_h_max"}, "strain_error"}};
  static const std::vector<std::string> units{"", "_mm", "_m", "_in", "_MPa", "_kPa", "_psi"};
  for (const auto& [names, error] : kinds) {
    for (const std::string& name : names) {
      for (const std::string& unit : units) {
        if (heading != name + unit) continue;
        for (const std::string& h : header) {
          if (h.rfind(error, 0) == 0) return h;
        }
      }
    }
  }
  return "";
}

void expect_same_table(const std::string& produced, const std::filesystem::path& expected_path) {
  // Printed at the digits the estimates support, a re-run gives the same
  // bytes; the comparison by value below says where a difference lies.
  EXPECT_TRUE(produced == read_text(expected_path)) << expected_path << " differs from a re-run";
  const CsvTable got = parse_csv(produced);
  const CsvTable expected = parse_csv(read_text(expected_path));
  ASSERT_EQ(got.header, expected.header);
  ASSERT_EQ(got.rows.size(), expected.rows.size());
  for (const std::string& heading : expected.header) {
    if (heading.find("_error") != std::string::npos) continue;  // estimates may change with the method
    const std::string error = error_column(heading, expected.header);
    if (error.empty()) {
      EXPECT_EQ(got.texts(heading), expected.texts(heading)) << heading;
      continue;
    }
    const auto a = got.numbers(heading), b = expected.numbers(heading);
    const auto ea = got.numbers(error), eb = expected.numbers(error);
    for (std::size_t i = 0; i < a.size(); ++i) {
      // Twice each estimate, plus the rounding of each table at the decade
      // above its estimate (half a decade: at most five estimates each).
      EXPECT_NEAR(a[i], b[i], 7.0 * (ea[i] + eb[i])) << heading << " row " << i;
    }
  }
}

TEST(AnalyseExamples, EveryProblemFileReproducesItsTable) {
  std::size_t problems = 0;
  for (const auto& folder : std::filesystem::directory_iterator(kExamples)) {
    if (!folder.is_directory()) continue;
    if (folder.path().filename() == "design") continue;  // kestral-design's problems
    if (folder.path().filename() == "backcalculation") continue;  // kestral-backcalc's survey
    for (const auto& file : std::filesystem::directory_iterator(folder.path())) {
      if (file.path().extension() != ".json") continue;
      SCOPED_TRACE(file.path().string());
      const ProgramRun run = run_program_in(folder.path(), kAnalyse, {file.path().filename().string()});
      ASSERT_EQ(run.status, 0) << run.errors;
      EXPECT_EQ(run.errors, "");
      expect_same_table(run.console, folder.path() / "expected" / (file.path().stem().string() + ".csv"));
      ++problems;
    }
  }
  EXPECT_GE(problems, 7u);
}

TEST(AnalyseExamples, ShippedLegacyExampleThroughTheEngine) {
  const auto folder = kExamples / "dual-wheel";
  const ProgramRun run = run_program_in(folder, kAnalyse, {"--legacy", "KESTRAL.in"});
  ASSERT_EQ(run.status, 0) << run.errors;
  expect_same_table(run.console, folder / "expected" / "analyse.csv");
}

TEST(AnalyseExamples, ErrorColumnsOfEveryResult) {
  const std::vector<std::string> header{"sxx_MPa", "s1_MPa", "ux_mm", "exx", "e_h_max", "e1", "side",
                                        "stress_error_MPa", "displacement_error_mm", "strain_error"};
  EXPECT_EQ(error_column("sxx_MPa", header), "stress_error_MPa");
  EXPECT_EQ(error_column("s1_MPa", header), "stress_error_MPa");
  EXPECT_EQ(error_column("ux_mm", header), "displacement_error_mm");
  EXPECT_EQ(error_column("exx", header), "strain_error");
  EXPECT_EQ(error_column("e1", header), "strain_error");
  EXPECT_EQ(error_column("e_h_max", header), "strain_error");
  EXPECT_EQ(error_column("side", header), "");
  EXPECT_EQ(error_column("x_mm", header), "");
  EXPECT_EQ(error_column("point", header), "");
  EXPECT_EQ(error_column("layer_name", header), "");
}

}  // namespace
}  // namespace kestral::testing
