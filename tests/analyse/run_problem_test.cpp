#include "analyse/run_problem.h"

#include <gtest/gtest.h>

#include <cstring>

#include "analyse/json_document.h"
#include "analyse/problem_file.h"

namespace kestral::analyse {
namespace {

Problem small_problem(const std::string& extra = "") {
  const std::string text = R"({"layers": [{"E": 3000, "nu": 0.35, "thickness": 150, "interface_below": "frictionless"},
                                          {"E": 60, "nu": 0.4}],
    "loads": [{"load": 20000, "pressure": 0.56}, {"x": 310, "radius": 100, "pressure": 0.7}],
    "grid": {"x": [0, 155, 310], "y": [0, 40], "z": [0, 75, 150]})" + extra + "}";
  return read_problem(parse_json_text(text, "p.json"), "p.json");
}

bool same_bits(const multilayer::Result& a, const multilayer::Result& b) {
  return a.point == b.point && a.face == b.face && a.layer == b.layer &&
         std::memcmp(&a.stress, &b.stress, sizeof a.stress) == 0 &&
         std::memcmp(&a.displacement, &b.displacement, sizeof a.displacement) == 0 &&
         std::memcmp(&a.strain, &b.strain, sizeof a.strain) == 0 &&
         std::memcmp(&a.principal_stress, &b.principal_stress, sizeof a.principal_stress) == 0 &&
         std::memcmp(&a.principal_strain, &b.principal_strain, sizeof a.principal_strain) == 0 &&
         a.horizontal_strain_max == b.horizontal_strain_max && a.stress_error == b.stress_error &&
         a.displacement_error == b.displacement_error && a.strain_error == b.strain_error;
}

TEST(RunProblem, LoadsByForceOrRadius) {
  const auto loads = engine_loads(small_problem());
  ASSERT_EQ(loads.size(), 2u);
  const auto expected = multilayer::Load::from_force(0, 0, 20000, 0.56);
  EXPECT_EQ(loads[0].radius, expected.radius);
  EXPECT_EQ(loads[0].pressure, 0.56);
  EXPECT_EQ(loads[1].x, 310.0);
  EXPECT_EQ(loads[1].radius, 100.0);
}

// The rows must not depend on how the points are cut into blocks (the
// progress line, the Python module and the library all see the same bits).
TEST(RunProblem, BlocksGiveTheRowsOfOneEngineCall) {
  const Problem problem = small_problem();
  multilayer::Options options;
  const auto whole = multilayer::analyse(problem.section, engine_loads(problem), problem.points, options);
  std::size_t progress_calls = 0, last_done = 0;
  RunSettings settings;
  settings.points_per_block = 7;
  settings.progress = [&](std::size_t done, std::size_t total) {
    ++progress_calls;
    EXPECT_GT(done, last_done);
    EXPECT_EQ(total, 18u);
    last_done = done;
  };
  const auto blocked = analyse_rows(problem, settings);
  EXPECT_EQ(progress_calls, 3u);  // 7 + 7 + 4 points
  EXPECT_EQ(last_done, 18u);
  ASSERT_EQ(blocked.size(), whole.size());
  // 18 points, 6 of them on the interface (z = 150): 24 rows.
  EXPECT_EQ(blocked.size(), 24u);
  for (std::size_t i = 0; i < whole.size(); ++i) EXPECT_TRUE(same_bits(blocked[i], whole[i])) << i;
}

TEST(RunProblem, ToleranceOfTheSettingsReplacesTheProblems) {
  const Problem problem = small_problem(R"(, "tolerance": 1e-3)");
  RunSettings loose;
  RunSettings tight;
  tight.tolerance = 1e-10;
  const auto a = analyse_rows(problem, loose);
  const auto b = analyse_rows(problem, tight);
  ASSERT_EQ(a.size(), b.size());
  double largest_a = 0, largest_b = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    largest_a = std::max(largest_a, a[i].stress_error);
    largest_b = std::max(largest_b, b[i].stress_error);
  }
  EXPECT_LT(largest_b, largest_a);
  EXPECT_LE(largest_b, 1e-10 * 0.7 * 10);  // within ten times the asked accuracy of q_max
}

TEST(RunProblem, EngineRefusalsNameTheFileAndNumberPointsAsTheTable) {
  Problem problem = small_problem();
  // Moduli so small that the strains overflow a double; the reader, which
  // checks the values one by one, cannot see it.
  for (auto& layer : problem.section.layers) layer.modulus = 1e-300;
  for (auto& load : problem.loads) load.pressure = 1e10;
  try {
    analyse_rows(problem, {});
    ADD_FAILURE();
  } catch (const ProblemError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("p.json: problem: the result scales", 0), 0u) << error.what();
  }
  Problem deep = small_problem();
  deep.points[17].z = 1e101;
  RunSettings settings;
  settings.points_per_block = 4;
  try {
    analyse_rows(deep, settings);
    ADD_FAILURE();
  } catch (const ProblemError& error) {
    EXPECT_EQ(std::string(error.what()), "p.json: point 18 of 18: depth z must be finite, >= 0 and at most 1e100, got 1e+101");
  }
}

TEST(RunProblem, NoPointsNoRows) {
  Problem problem = small_problem();
  problem.points.clear();
  problem.coordinates.clear();
  EXPECT_TRUE(analyse_rows(problem, {}).empty());
  EXPECT_EQ(analyse_to_table(problem, {}).rows, 0u);
}

}  // namespace
}  // namespace kestral::analyse
