// The legacy problem as a general problem: the same layers, wheels and
// points, the rows' faces as the legacy report has them, and the legacy
// program's own messages (it is run on the same bad files as the oracle).
#include "analyse/legacy_problem.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/program_run.h"

namespace kestral::analyse {
namespace {

using kestral::testing::read_text;
using kestral::testing::run_program_in;
using kestral::testing::ScratchFolder;
using kestral::testing::write_text;
using multilayer::Side;

const std::filesystem::path kSource = KESTRAL_SOURCE_DIR;

TEST(LegacyProblem, ShippedExampleIsADualWheelOnFourBondedLayers) {
  const Problem problem = read_legacy_problem(kSource / "examples/dual-wheel/KESTRAL.in");
  ASSERT_EQ(problem.section.layers.size(), 4u);
  const std::vector<double> E{4000, 400, 200, 60}, nu{0.35, 0.35, 0.35, 0.4}, h{120, 200, 250};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(problem.section.layers[k].modulus, E[k]);
    EXPECT_EQ(problem.section.layers[k].poisson, nu[k]);  // as typed, not 0.349999994
    if (k < 3) {
      EXPECT_EQ(problem.section.layers[k].thickness, h[k]);
    }
    EXPECT_EQ(problem.section.layers[k].below.kind, multilayer::InterfaceKind::bonded);
  }
  ASSERT_EQ(problem.loads.size(), 2u);
  EXPECT_EQ(problem.loads[0].x, 0.0);
  EXPECT_EQ(problem.loads[1].x, 310.0);
  for (const LoadInput& load : problem.loads) {
    EXPECT_TRUE(load.by_force);
    EXPECT_EQ(load.force, 20000.0);
    EXPECT_EQ(load.pressure, 0.56);
    EXPECT_EQ(load.y, 0.0);
  }
  // (Z, R) = (0, 0), (120, 0), (120, 155), (570, 0), (570, 155): the last four
  // on interfaces, both faces.
  const std::vector<std::array<double, 3>> where{{0, 0, 0}, {0, 0, 120}, {155, 0, 120}, {0, 0, 570}, {155, 0, 570}};
  ASSERT_EQ(problem.points.size(), where.size());
  for (std::size_t i = 0; i < where.size(); ++i) {
    EXPECT_EQ(problem.coordinates[i], where[i]);
    EXPECT_EQ(problem.points[i].x, where[i][0]);
    EXPECT_EQ(problem.points[i].z, where[i][2]);
  }
  EXPECT_EQ(problem.points[0].side, Side::above);
  for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(problem.points[i].side, Side::both);
  EXPECT_EQ(problem.echo["loads"].size(), 2u);
  EXPECT_EQ(problem.echo["units"]["length"], "mm");
  EXPECT_TRUE(problem.notes.empty());
}

TEST(LegacyProblem, ConformanceInputsKeepTheirPointsAndWheels) {
  for (const char* name : {"four-layer-dual", "three-layer-single", "truncated-point-list", "two-layer-free-format"}) {
    const auto folder = kSource / "tests/conformance" / name;
    const std::string console = read_text(folder / "console.txt");
    if (read_text(folder / "rc.txt").find('0') != 0) {
      EXPECT_THROW(read_legacy_problem(folder / "KESTRAL.in"), ProblemError) << name;
      continue;
    }
    const Problem problem = read_legacy_problem(folder / "KESTRAL.in");
    const bool dual = read_text(folder / "KESTRAL.out").find("Dual  Wheel") != std::string::npos;
    EXPECT_EQ(problem.loads.size(), dual ? 2u : 1u) << name;
    EXPECT_FALSE(problem.points.empty()) << name;
    for (const auto& point : problem.points) EXPECT_EQ(point.y, 0.0);
  }
}

// Runs the legacy program in `folder` and returns its first line on
// standard error (without the line feed).
std::string legacy_message(const std::filesystem::path& folder) {
  const std::string errors = run_program_in(folder).errors;
  return errors.substr(0, errors.find('\n'));
}

// Reads the problem in `folder` as "KESTRAL.in" (as the legacy program names
// it) and returns the message or note.
std::string analyse_message(const std::filesystem::path& folder) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  std::string message = "accepted";
  try {
    const Problem problem = read_legacy_problem("KESTRAL.in");
    if (!problem.notes.empty()) message = problem.notes.front();
  } catch (const ProblemError& error) {
    message = error.what();
  }
  std::filesystem::current_path(previous);
  return message;
}

TEST(LegacyProblem, RejectionsHaveTheLegacyMessages) {
  const std::string gauss = read_text(kSource / "examples/dual-wheel/gauss.qua");
  const std::string good = "2\n3000 60\n0.35 0.4\n150\n20000 0.56\n1\n0 0\n1\n";
  const std::vector<std::pair<std::string, std::string>> cases{
      {"", gauss},                                              // empty problem file
      {"2\n3000 60\n0.6 0.4\n150\n20000 0.56\n1\n0 0\n1\n", gauss},  // Mu out of range
      {"7\n", gauss},                                           // too many layers
      {"2\n3000 60\n0.35 0.4\n150\n20000 0.56\n1\n0 -3\n1\n", gauss},  // negative R
      {"2\n3000 60\n0.35 0.4\n150\n20000 0.56\n1\n0 x\n1\n", gauss},   // conversion error
      {"2\n3000 60\n0.35 0.4\n150\n20000 0.56\n1\n0 0\n", gauss},      // no wheel flag
      {"2\n3000 60\n0.35 0.4\n150\n20000 0.56\n1\n0 0\n3\n", gauss},   // wheel flag 3: a note
      {good, "12\n"},                                           // bad rule order
      {good, ""},                                               // empty gauss.qua
  };
  for (const auto& [problem, rules] : cases) {
    ScratchFolder folder;
    write_text(folder.path() / "KESTRAL.in", problem);
    write_text(folder.path() / "gauss.qua", rules);
    const std::string expected = legacy_message(folder.path());
    ASSERT_FALSE(expected.empty()) << problem;
    EXPECT_EQ(analyse_message(folder.path()), expected) << problem;
  }
  // Missing files: the legacy program reads them as empty.
  ScratchFolder empty;
  EXPECT_EQ(analyse_message(empty.path()), legacy_message(empty.path()));
  write_text(empty.path() / "KESTRAL.in", good);
  EXPECT_EQ(analyse_message(empty.path()), legacy_message(empty.path()));
}

TEST(LegacyProblem, FilesElsewhereAreNamedAsGiven) {
  ScratchFolder folder;
  write_text(folder.path() / "KESTRAL.in", "2\n3000 60\n0.35 0.4\n150\n20000 0.56\n1\n0 0\n1\n");
  try {
    read_legacy_problem(folder.path() / "KESTRAL.in");
    ADD_FAILURE();
  } catch (const ProblemError& error) {
    EXPECT_EQ(std::string(error.what()),
              "end-of-file during read, unit 27, file " + (folder.path() / "gauss.qua").string());
  }
}

TEST(LegacyProblem, PointsInsideALayerStayInTheLegacyLayer) {
  // 0.1 + 0.2 in single precision is not the double sum of the two: a point
  // at the legacy sum must be evaluated where the legacy search puts it.
  ScratchFolder folder;
  write_text(folder.path() / "gauss.qua", read_text(kSource / "examples/dual-wheel/gauss.qua"));
  write_text(folder.path() / "KESTRAL.in",
             "3\n3000 300 60\n0.35 0.35 0.4\n0.1 0.2\n20000 0.56\n4\n0.1 0\n0.3 0\n0.05 0\n0.2 0\n1\n");
  const Problem problem = read_legacy_problem(folder.path() / "KESTRAL.in");
  ASSERT_EQ(problem.points.size(), 4u);
  // The interface points lie exactly on the engine's interface depths.
  EXPECT_EQ(problem.points[0].z, 0.1);
  EXPECT_EQ(problem.points[0].side, Side::both);
  EXPECT_EQ(problem.points[2].side, Side::above);  // inside layer 1, nearer its bottom
  EXPECT_EQ(problem.points[3].side, Side::below);  // inside layer 2, nearer its top
  EXPECT_EQ(problem.coordinates[3][2], 0.2);
}

}  // namespace
}  // namespace kestral::analyse
