// Whole runs: the passes, the interface rows, the dual wheel and its
// superposition, checked through the rows a run records and the streams it
// writes.
#include "driver/run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "driver/report_writer.h"
#include "tests/support/gauss_rules.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

// A three-layer section: 120 mm asphalt, 250 mm base, subgrade.
std::string problem(const std::string& points, const std::string& wheel_flag) {
  return "3\n2500 250 50\n0.35 0.35 0.40\n120 250\n20000 0.56\n" + points + wheel_flag + "\n";
}

InProcessRun run_in_process(const std::string& problem_text) {
  return testing::run_in_process(problem_text, ten_point_rule_file());
}

std::vector<std::string> lines_starting(const std::string& text, const std::string& prefix) {
  std::vector<std::string> found;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

TEST(ContactRadius, IsTheRadiusOfACircleOfAreaPOverQ) {
  // 20000 N at 0.56 MPa: 35714.3 mm^2, a = 106.6 mm.
  EXPECT_NEAR(contact_radius(20000.0f, 0.56f), 106.6, 0.05);
  EXPECT_EQ(contact_radius(20000.0f, 0.56f),
            static_cast<float>(std::sqrt(20000.0 / double{0.56f} / std::numbers::pi)));
}

TEST(SingleWheel, RowsFollowThePointsAndTheirLayers) {
  // Surface, inside layer 1, on interface 1, inside layer 2, on the last
  // interface, in the half-space.
  const auto run = run_in_process(
      problem("6\n0 0\n60 0\n120 30\n200 0\n370 100\n900 0\n", "1"));
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  const RunRecord& r = run.record;
  ASSERT_EQ(r.rows_printed, 8);
  const int expected_kinds[] = {1, 1, 1, 2, 1, 1, 2, 1};
  const int expected_layers[] = {1, 1, 1, 2, 2, 2, 3, 3};
  const float expected_Z[] = {0, 60, 120, 120, 200, 370, 370, 900};
  for (int row = 1; row <= 8; ++row) {
    EXPECT_EQ(r.kinds[row - 1], expected_kinds[row - 1]) << row;
    EXPECT_EQ(r.layers[row - 1], expected_layers[row - 1]) << row;
    EXPECT_EQ(r.results.at(row, kColZ), expected_Z[row - 1]) << row;
  }
  // Interface rows carry the letter L and the point's Z and R.
  const auto rows = lines_starting(run.report, "  120.00");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].substr(8, 8), "   30.00");
  EXPECT_EQ(rows[1].substr(8, 8), "L  30.00");
  EXPECT_EQ(lines_starting(run.report, "  Single Wheel").size(), 1u);
  // One progress line per pass, five result lines per row.
  EXPECT_EQ(lines_starting(run.console, " Z=").size(), 6u);
  EXPECT_EQ(lines_starting(run.console, " Sigma Z value=").size(), 8u);
}

TEST(SingleWheel, InterfaceRowsAgreeWhereTheBondMakesThemContinuous) {
  const auto run = run_in_process(problem("1\n120 50\n", "1"));
  ASSERT_EQ(run.status, 0);
  const ResultTable& t = run.record.results;
  // Vertical stress, shear, displacement and the horizontal strains are
  // continuous across a bonded interface; the rows come from separate
  // quadratures of the same integrals, equal to a few units of 1e-6 q.
  for (int column : {kColSigmaZ, kColTaoRZ}) EXPECT_NEAR(t.at(1, column), t.at(2, column), 1e-5);
  EXPECT_NEAR(t.at(1, kColDispZ), t.at(2, kColDispZ), 1e-5 * std::fabs(double{t.at(1, kColDispZ)}));
  for (int column : {kColEpT, kColEpR}) {
    EXPECT_NEAR(t.at(1, column), t.at(2, column), 1e-3 * std::fabs(double{t.at(1, column)}));
  }
  // The stiff asphalt carries tension at its bottom, the base does not.
  EXPECT_GT(t.at(1, kColSigmaR), 10 * std::fabs(t.at(2, kColSigmaR)));
}

TEST(DualWheel, SecondPassUsesTheDistanceFromTheSecondWheel) {
  const auto run = run_in_process(problem("3\n500 0\n500 310\n500 400\n", "2"));
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto progress = lines_starting(run.console, " Z=");
  ASSERT_EQ(progress.size(), 6u);
  EXPECT_EQ(progress[3], " Z=   500.0000       Rad=   310.0000    ");
  EXPECT_EQ(progress[4], " Z=   500.0000       Rad=  0.0000000E+00");
  EXPECT_EQ(progress[5], " Z=   500.0000       Rad=   90.00000    ");
  // The report shows each point with its R from the input.
  EXPECT_EQ(run.record.rows_printed, 3);
  EXPECT_EQ(run.record.results.at(2, kColR), 310.0f);
  EXPECT_EQ(lines_starting(run.report, "  Dual  Wheel").size(), 1u);
}

TEST(DualWheel, RowsAreTheSumOfTheTwoSingleWheelRows) {
  // Points on and off interfaces; offsets giving second-pass distances of
  // 310, 155, 0 and 90 mm.
  const std::string points = "5\n0 0\n120 155\n370 310\n500 400\n60 0\n";
  const auto dual = run_in_process(problem(points, "2"));
  const auto first = run_in_process(problem(points, "1"));
  const auto second =
      run_in_process(problem("5\n0 310\n120 155\n370 0\n500 90\n60 310\n", "1"));
  ASSERT_EQ(dual.status, 0);
  ASSERT_EQ(dual.record.rows_printed, first.record.rows_printed);
  ASSERT_EQ(dual.record.rows_printed, 7);
  for (int row = 1; row <= 7; ++row) {
    EXPECT_EQ(dual.record.kinds[row - 1], first.record.kinds[row - 1]);
    EXPECT_EQ(dual.record.results.at(row, kColR), first.record.results.at(row, kColR));
    for (int column = kColSigmaZ; column <= kColEpR; ++column) {
      // The same single-precision addition the run makes: exact equality.
      const float sum = first.record.results.at(row, column) + second.record.results.at(row, column);
      EXPECT_EQ(dual.record.results.at(row, column), sum) << "row " << row << " column " << column;
    }
  }
  // Midway between the wheels both wheels contribute equally.
  for (int column = kColSigmaZ; column <= kColEpR; ++column) {
    EXPECT_EQ(dual.record.results.at(2, column), 2.0f * first.record.results.at(2, column));
  }
}

TEST(PointJustBelowAnInterface, IsEvaluatedInTheLayerBelowAsAnOrdinaryRow) {
  // With single-precision depths the point lies below the rounded bottom of
  // layer 1 but above the rounded top of layer 2.
  const auto run = run_in_process(
      "3\n3000 300 60\n0.35 0.35 0.4\n0.3 100\n20000 0.56\n1\n0.30000004 0\n1\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  ASSERT_EQ(run.record.rows_printed, 1);
  EXPECT_EQ(run.record.kinds[0], kOrdinaryRow);
  EXPECT_EQ(run.record.layers[0], 2);
  EXPECT_TRUE(std::isfinite(run.record.results.at(1, kColSigmaZ)));
}

// H = 144.82 and 95.3 sum in float to 240.12001; a point typed 240.12 is the
// depth of the interface as the user knows it, and gets both rows, with the
// values of a run at the float sum itself (to the printed digits: the two
// depths differ by one float step, 1.5e-5 mm).
TEST(PointTypedAtAnInterface, GetsBothRowsWhateverTheFloatSum) {
  const std::string head = "3\n3000 300 60\n0.35 0.35 0.4\n144.82 95.3\n20000 0.56\n1\n";
  ScratchFolder typed;
  write_text(typed.path() / "KESTRAL.in", head + "240.12 0\n1\n");
  write_text(typed.path() / "gauss.qua", ten_point_rule_file());
  ScratchFolder summed;
  write_text(summed.path() / "KESTRAL.in", head + "240.12001 0\n1\n");
  write_text(summed.path() / "gauss.qua", ten_point_rule_file());
  const ProgramRun at_typed = run_program_in(typed.path());
  const ProgramRun at_sum = run_program_in(summed.path());
  ASSERT_EQ(at_typed.status, 0) << at_typed.errors;
  ASSERT_EQ(at_sum.status, 0) << at_sum.errors;
  const auto rows = lines_starting(at_typed.report, "  240.12");
  ASSERT_EQ(rows.size(), 2u) << at_typed.report;
  EXPECT_EQ(rows[1][8], 'L');
  EXPECT_EQ(at_typed.report, at_sum.report);
}

TEST(DeepPoints, InsideAFiniteLayerBeyondFifteenRadiiAreRefusedBeforeComputing) {
  // A 6 m subgrade over a stiff bottom; a = 106.6 mm, so 15 radii = 1599 mm.
  const std::string head = "3\n3000 80 5000\n0.35 0.4 0.35\n200 6000\n20000 0.56\n";
  const auto refused = run_in_process(head + "2\n1500 0\n2500 0\n1\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.errors.rfind("KESTRAL.in: point 2 (item 7) lies 2500 mm deep inside layer 2", 0), 0u)
      << refused.errors;
  EXPECT_EQ(std::count(refused.report.begin(), refused.report.end(), '\n'), 6);  // the echo only
  // The half-space has no growing terms: it is computed down to 50 radii.
  const auto deep = run_in_process("3\n3000 80 5000\n0.35 0.4 0.35\n200 1000\n20000 0.56\n"
                                   "1\n5300 0\n1\n");
  ASSERT_EQ(deep.status, 0) << deep.errors;
  for (int column = kColSigmaZ; column <= kColEpR; ++column) {
    EXPECT_TRUE(std::isfinite(deep.record.results.at(1, column)));
  }
  EXPECT_LT(deep.record.results.at(1, kColSigmaZ), 0.0f);
}

TEST(FarPoints, BeyondFiftyRadiiDeepOrTwentyRadiiOffAWheelAreRefused) {
  // 20000 N at 0.56 MPa: a = 106.62 mm, 50 radii = 5331 mm, 20 radii = 2132 mm.
  const std::string head = "2\n300 60\n0.35 0.4\n200\n20000 0.56\n";
  // 100 N at 0.5 MPa: a = 7.98 mm, 20 radii = 160 mm, less than the 310 mm
  // between the wheels of a dual wheel.
  const std::string small_load = "2\n300 60\n0.35 0.4\n200\n100 0.5\n";
  const struct Case {
    std::string problem;
    const char* message_start;  // nullptr: computed
  } cases[] = {
      {head + "2\n100 0\n5400 0\n1\n",
       "KESTRAL.in: point 2 (item 7) lies 5400 mm deep, deeper than 50 contact radii"},
      {head + "1\n5300 2100\n2\n", nullptr},
      {head + "1\n100 2200\n1\n",
       "KESTRAL.in: point 1 (item 7) lies 2200 mm from the centre of the first wheel, further "
       "than 20 contact radii"},
      {small_load + "1\n50 100\n1\n", nullptr},
      {small_load + "1\n50 100\n2\n",
       "KESTRAL.in: point 1 (item 7) lies 210 mm from the centre of the second wheel, further "
       "than 20 contact radii"},
  };
  for (const Case& c : cases) {
    const auto run = run_in_process(c.problem);
    if (c.message_start == nullptr) {
      EXPECT_EQ(run.status, 0) << c.problem << run.errors;
      continue;
    }
    EXPECT_EQ(run.status, 1) << c.problem;
    EXPECT_EQ(run.errors.rfind(c.message_start, 0), 0u) << run.errors;
    // Refused before computing: the report holds the echo only.
    EXPECT_EQ(std::count(run.report.begin(), run.report.end(), '\n'), 6) << c.problem;
  }
}

TEST(WriteFailures, AFullDiskIsAFailureNotASilentSuccess) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  ScratchFolder folder;
  write_text(folder.path() / "KESTRAL.in", problem("1\n500 0\n", "1"));
  write_text(folder.path() / "gauss.qua", ten_point_rule_file());
  // The report on a full disk.
  RunFiles files = RunFiles::in_folder(folder.path());
  files.report = "/dev/full";
  std::ostringstream console;
  std::ostringstream errors;
  EXPECT_EQ(run_analysis(files, console, errors), 1);
  EXPECT_EQ(errors.str(), "cannot write file full, unit 47\n");
  // The console on a full disk.
  const std::string command = "cd '" + folder.path().string() + "' && '" KESTRAL_EXE "' > /dev/full 2> errors.txt";
  const int raw = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_EQ(read_text(folder.path() / "errors.txt"), "cannot write the console stream (standard output)\n");
}

TEST(TheProgram, RunsTheShippedExampleWithStatusZero) {
  ScratchFolder folder;
  const std::filesystem::path example = std::filesystem::path(KESTRAL_SOURCE_DIR) / "examples" / "dual-wheel";
  for (const char* name : {"KESTRAL.in", "gauss.qua"}) {
    std::filesystem::copy_file(example / name, folder.path() / name);
  }
  const ProgramRun run = run_program_in(folder.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  // Echo, wheel line, header and 9 rows: 5 points, 4 of them on interfaces.
  EXPECT_EQ(std::count(run.report.begin(), run.report.end(), '\n'), 6 + 1 + 1 + 9);
}

}  // namespace
}  // namespace kestral::testing
