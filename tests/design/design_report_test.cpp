// The reports where a model's endurance limit is exceeded (no life at all):
// null damage and zero life in JSON, "inf" in CSV, words in the readable
// report, never a number that is not one; the thickness search across
// damages that jump from infinite to 0 still agrees with bisection.
#include "design/design_report.h"

#include <cmath>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "design/problem_reader.h"

namespace kestral::design {
namespace {

DesignProblem limited() {
  return read_design_problem(nlohmann::json::parse(R"({
    "layers": [{"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
               {"name": "base", "E": 300, "nu": 0.35, "thickness": 250},
               {"name": "subgrade", "E": 60, "nu": 0.45}],
    "axles": [{"name": "standard", "group": "single", "tyres": "dual", "load": 80000, "pressure": 0.56,
               "dual_spacing": 310, "repetitions": 1e6}],
    "criteria": [{"name": "limit", "strain": "horizontal_tensile", "layer": "asphalt", "model": "perpetual-limits"},
                 {"name": "rutting", "strain": "vertical_compressive", "layer": "subgrade", "model": "asphalt-institute-rutting"}],
    "thickness": {"layer": "asphalt", "min": 100, "max": 600, "resolution": 10}
  })"), "p.json");
}

TEST(DesignReport, AnEnduranceLimitExceededIsNoLifeAndUnboundedDamage) {
  const DesignReport report = run_design(limited());
  // About 2e-4 at the bottom of 150 mm of asphalt: far above 70e-6.
  ASSERT_GT(report.check.criteria[0].cases[0].strain, 70e-6);
  const auto json = nlohmann::json::parse(json_report_text(report));
  const auto& limit = json["criteria"][0];
  EXPECT_TRUE(limit["damage"].is_null());
  EXPECT_EQ(limit["life"], 0.0);
  EXPECT_EQ(limit["cases"][0]["allowed"], 0.0);
  EXPECT_TRUE(limit["cases"][0]["damage"].is_null());
  EXPECT_EQ(json["verdict"], "fail");
  EXPECT_EQ(json["governing"], "limit");

  std::ostringstream text, csv;
  write_text_report(report, text);
  write_csv_report(report, csv);
  EXPECT_NE(text.str().find("limit: damage unbounded"), std::string::npos) << text.str();
  EXPECT_EQ(text.str().find("inf"), std::string::npos) << text.str();
  EXPECT_EQ(text.str().find("nan"), std::string::npos) << text.str();
  EXPECT_NE(csv.str().find("given,limit,all,all,,,,,inf,0\n"), std::string::npos) << csv.str();

  // The search meets only infinite and finite damages: it bisects, and
  // finds bisection's thickness.
  ASSERT_TRUE(report.thickness.has_value());
  const ThicknessResult plain = search_thickness(report.problem, true);
  EXPECT_EQ(report.thickness->status, ThicknessStatus::found);
  EXPECT_EQ(report.thickness->value, plain.value);
  EXPECT_TRUE(report.thickness->at.pass);
  ASSERT_TRUE(report.thickness->one_step_thinner.has_value());
  EXPECT_FALSE(report.thickness->one_step_thinner->pass);
}

// The readable report rounds what the JSON report holds whole: strains in
// microstrain and damages to four significant digits, the critical place at
// a ten-thousandth of its larger coordinate.
TEST(DesignReport, TheReadableReportRoundsTheJsonNumbersToFourDigits) {
  const DesignReport report = run_design(limited());
  const auto json = nlohmann::json::parse(json_report_text(report));
  const auto& row = json["criteria"][1]["cases"][0];
  std::ostringstream text;
  write_text_report(report, text);
  const std::regex case_line(R"(all year / standard: (\S+) at \((\S+), (\S+)\), (\S+), (\S+)\n)");
  const std::string all = text.str();
  std::vector<std::smatch> lines(std::sregex_iterator(all.begin(), all.end(), case_line), std::sregex_iterator());
  ASSERT_EQ(lines.size(), 2u) << all;
  const std::smatch& rutting = lines[1];
  // Half a unit in the fourth digit, relative: the rounding's own bound.
  const double half_digit = 5e-4;
  EXPECT_NEAR(std::stod(rutting[1]), row["strain"].get<double>() * 1e6, half_digit * row["strain"].get<double>() * 1e6);
  EXPECT_NEAR(std::stod(rutting[2]), row["x"].get<double>(), half_digit * std::abs(row["x"].get<double>()) + 1e-12);
  EXPECT_NEAR(std::stod(rutting[5]), row["damage"].get<double>(), half_digit * row["damage"].get<double>());
  for (int field : {1, 4, 5}) {
    const std::string digits = std::regex_replace(rutting[field].str(), std::regex(R"([-.]|e.*|^0+)"), "");
    EXPECT_LE(digits.size(), 4u) << rutting[field];
  }
  // The place on the axle's centre line (y about 1e-6 mm) reads 0.
  EXPECT_EQ(rutting[3], "0") << all;
}

}  // namespace
}  // namespace kestral::design
