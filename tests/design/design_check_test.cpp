// Damage sums by hand on a two-axle, two-season case; the thickness search
// against plain bisection at the resolution; damage falling as a layer
// thickens.
#include "design/design_check.h"

#include <cmath>

#include <gtest/gtest.h>

#include "design/problem_reader.h"
#include "design/thickness_search.h"

namespace kestral::design {
namespace {

nlohmann::json two_axles_two_seasons() {
  return nlohmann::json::parse(R"({
    "layers": [{"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
               {"name": "base", "E": 300, "nu": 0.35, "thickness": 250},
               {"name": "subgrade", "E": 60, "nu": 0.45}],
    "axles": [{"name": "standard", "group": "single", "tyres": "dual", "load": 80000, "pressure": 0.56,
               "dual_spacing": 310, "repetitions": 1e6},
              {"name": "tandem", "group": "tandem", "tyres": "dual", "load": 190000, "pressure": 0.8,
               "dual_spacing": 330, "axle_spacing": 1300, "repetitions": 2e5}],
    "criteria": [{"name": "fatigue", "strain": "horizontal_tensile", "layer": "asphalt",
                  "model": {"k1": 0.0796, "k2": 3.291, "k3": 0.854, "modulus_unit": "psi"}},
                 {"name": "rutting", "strain": "vertical_compressive", "layer": "subgrade",
                  "model": "asphalt-institute-rutting"}],
    "seasons": [{"name": "summer", "share": 0.3, "E": {"asphalt": 1800}},
                {"name": "winter", "share": 0.7, "E": {"asphalt": 5000, "subgrade": 90}}],
    "thickness": {"layer": "asphalt", "min": 60, "max": 300, "resolution": 5}
  })");
}

TEST(DesignCheck, DamageSumsByHand) {
  const DesignProblem problem = read_design_problem(two_axles_two_seasons(), "p.json");
  const CheckResult check = check_design(problem);
  ASSERT_EQ(check.criteria.size(), 2u);
  const double shares[] = {0.3, 0.7}, repetitions[] = {1e6, 2e5};
  const double asphalt[] = {1800, 5000};
  for (std::size_t c = 0; c < 2; ++c) {
    const CriterionResult& criterion = check.criteria[c];
    ASSERT_EQ(criterion.cases.size(), 4u);
    double total = 0.0;
    for (const CaseResult& row : criterion.cases) {
      // N by hand from the formulas: the power form in psi, and the
      // Asphalt Institute's rutting model.
      const double e = row.strain;
      const double n = c == 0 ? 0.0796 * std::pow(e, -3.291) * std::pow(asphalt[row.season] / kMegapascalsPerPsi, -0.854)
                              : 1.365e-9 * std::pow(e, -4.477);
      EXPECT_NEAR(row.allowed, n, 1e-12 * n);
      const double damage = shares[row.season] * repetitions[row.axle] / n;
      EXPECT_NEAR(row.damage, damage, 1e-12 * damage);
      total += damage;
    }
    EXPECT_NEAR(criterion.damage, total, 1e-12 * total);
    EXPECT_NEAR(criterion.life, 1.0 / total, 1e-12 / total);
  }
  const double d0 = check.criteria[0].damage, d1 = check.criteria[1].damage;
  EXPECT_EQ(check.governing, d1 > d0 ? 1u : 0u);
  EXPECT_EQ(check.pass, d0 <= 1.0 && d1 <= 1.0);
  // The stiffer winter asphalt strains less under the same axle.
  EXPECT_LT(check.criteria[0].cases[2].strain, check.criteria[0].cases[0].strain);
}

double largest(const CheckResult& check) {
  return std::max(check.criteria[0].damage, check.criteria[1].damage);
}

TEST(ThicknessSearch, AgreesWithPlainBisectionAndDamageFalls) {
  const DesignProblem problem = read_design_problem(two_axles_two_seasons(), "p.json");
  const ThicknessResult fast = search_thickness(problem);
  const ThicknessResult plain = search_thickness(problem, true);
  EXPECT_EQ(fast.status, ThicknessStatus::found);
  EXPECT_EQ(fast.value, plain.value);
  EXPECT_LE(largest(fast.at), 1.0);
  ASSERT_TRUE(fast.one_step_thinner.has_value());
  EXPECT_GT(largest(*fast.one_step_thinner), 1.0);
  EXPECT_TRUE(fast.notes.empty());
  EXPECT_TRUE(plain.notes.empty());
  // Every criterion's damage falls over every thickness either search tried.
  auto trials = fast.trials;
  trials.insert(trials.end(), plain.trials.begin(), plain.trials.end());
  std::sort(trials.begin(), trials.end());
  for (std::size_t k = 1; k < trials.size(); ++k) {
    for (std::size_t c = 0; c < 2; ++c) EXPECT_LE(trials[k].second[c], trials[k - 1].second[c]) << trials[k].first;
  }
}

TEST(ThicknessSearch, AgreesWithPlainBisectionFromAnyStartInFewerChecks) {
  nlohmann::json document = two_axles_two_seasons();
  document["thickness"]["resolution"] = 1;
  const ThicknessResult plain = search_thickness(read_design_problem(document, "p.json"), true);
  // The section's own thickness is where the search starts: at the range's
  // ends, near the answer, outside the range.
  for (const double given : {60.0, 150.0, 300.0, 20.0, 900.0}) {
    document["layers"][0]["thickness"] = given;
    const ThicknessResult fast = search_thickness(read_design_problem(document, "p.json"));
    EXPECT_EQ(fast.status, ThicknessStatus::found) << given;
    EXPECT_EQ(fast.value, plain.value) << given;
    EXPECT_LT(fast.trials.size(), plain.trials.size()) << given;
  }
}

TEST(ThicknessSearch, SaysWhenTheRangeCannotBracket) {
  nlohmann::json document = two_axles_two_seasons();
  document["thickness"] = {{"layer", "asphalt"}, {"min", 60}, {"max", 80}, {"resolution", 5}};
  const ThicknessResult thin = search_thickness(read_design_problem(document, "p.json"));
  EXPECT_EQ(thin.status, ThicknessStatus::max_fails);
  EXPECT_EQ(thin.value, 80.0);
  document["thickness"] = {{"layer", "asphalt"}, {"min", 400}, {"max", 420}, {"resolution", 5}};
  const ThicknessResult thick = search_thickness(read_design_problem(document, "p.json"));
  EXPECT_EQ(thick.status, ThicknessStatus::min_passes);
  EXPECT_EQ(thick.value, 400.0);
  EXPECT_FALSE(thick.one_step_thinner.has_value());
}

TEST(DesignCheck, TensionNowhereIsAnInfiniteLife) {
  // A soft thin layer on a far stiffer one is compressed horizontally at
  // its bottom everywhere: no tension, an unlimited life, no damage.
  nlohmann::json document = two_axles_two_seasons();
  document["layers"] = nlohmann::json::parse(R"([{"name": "asphalt", "E": 100, "nu": 0.35, "thickness": 50},
      {"name": "base", "E": 30000, "nu": 0.2, "thickness": 300}, {"name": "subgrade", "E": 60, "nu": 0.45}])");
  document.erase("seasons");
  const CheckResult check = check_design(read_design_problem(document, "p.json"));
  for (const CaseResult& row : check.criteria[0].cases) {
    EXPECT_EQ(row.strain, 0.0);
    EXPECT_TRUE(std::isinf(row.allowed));
    EXPECT_EQ(row.damage, 0.0);
  }
  EXPECT_TRUE(std::isinf(check.criteria[0].life));
}

}  // namespace
}  // namespace kestral::design
