#include "analyse/result_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestral::analyse {
namespace {

using multilayer::Face;
using multilayer::Result;

// Two points, the second on an interface: three rows, each value in it
// distinct so that a column taking the wrong field shows.
struct Fixture {
  Problem problem;
  std::vector<Result> rows;

  explicit Fixture(Units units) {
    problem.source = "p.json";
    problem.units = units;
    problem.section.layers.resize(2);
    problem.layer_names = {"asphalt", "sub,grade"};
    problem.points = {{0, 0, 0, {}}, {0, 0, 100, {}}};
    problem.coordinates = {{{1, 2, 3}}, {{4, 5, 6}}};
    for (std::size_t i = 0; i < 3; ++i) {
      Result row;
      row.point = i == 0 ? 0 : 1;
      row.face = i == 0 ? Face::inside : (i == 1 ? Face::above : Face::below);
      row.layer = i == 2 ? 1 : 0;
      double v = 100.0 * static_cast<double>(i);
      auto next = [&v] { return v += 1.0; };
      row.stress = {next(), next(), next(), next(), next(), next()};
      row.displacement = {next(), next(), next()};
      row.strain = {next(), next(), next(), next(), next(), next()};
      row.principal_stress = {next(), next(), next()};
      row.principal_strain = {next(), next(), next()};
      row.horizontal_strain_max = next();
      row.stress_error = next();
      row.displacement_error = next();
      row.strain_error = next();
      rows.push_back(row);
    }
  }
};

std::vector<std::string> headings(const ResultTable& table) {
  std::vector<std::string> result;
  for (const Column& column : table.columns) result.push_back(column.heading());
  return result;
}

TEST(ResultTable, ColumnsInOrderWithTheirUnits) {
  Fixture fixture(Units{});
  const ResultTable table = make_result_table(fixture.problem, fixture.rows);
  EXPECT_EQ(table.rows, 3u);
  EXPECT_EQ(headings(table),
            (std::vector<std::string>{"point", "x_mm", "y_mm", "z_mm", "side", "layer", "layer_name",
                                      "sxx_MPa", "syy_MPa", "szz_MPa", "sxy_MPa", "syz_MPa", "sxz_MPa",
                                      "ux_mm", "uy_mm", "uz_mm", "exx", "eyy", "ezz", "exy", "eyz", "exz",
                                      "s1_MPa", "s2_MPa", "s3_MPa", "e1", "e2", "e3", "e_h_max",
                                      "stress_error_MPa", "displacement_error_mm", "strain_error"}));
  EXPECT_EQ(table.find("point")->numbers, (std::vector<double>{1, 2, 2}));
  EXPECT_EQ(table.find("x")->numbers, (std::vector<double>{1, 4, 4}));
  EXPECT_EQ(table.find("z")->numbers, (std::vector<double>{3, 6, 6}));
  EXPECT_EQ(table.find("side")->texts, (std::vector<std::string>{"inside", "above", "below"}));
  EXPECT_EQ(table.find("layer")->numbers, (std::vector<double>{1, 1, 2}));
  EXPECT_EQ(table.find("layer_name")->texts, (std::vector<std::string>{"asphalt", "asphalt", "sub,grade"}));
  // The 25 engine values in order: column k of row i holds 100 i + k + 1.
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t k = 0; k < 25; ++k) {
      EXPECT_EQ(table.columns[7 + k].numbers[row], 100.0 * static_cast<double>(row) + static_cast<double>(k) + 1.0)
          << table.columns[7 + k].name << " row " << row;
    }
  }
}

TEST(ResultTable, ConvertsStressesAndLengthsOutStrainsNot) {
  Fixture fixture(Units{LengthUnit::in, StressUnit::psi, ForceUnit::lbf});
  fixture.problem.layer_names = {"", ""};
  const ResultTable table = make_result_table(fixture.problem, fixture.rows);
  EXPECT_EQ(table.find("layer_name"), nullptr);
  const double psi = fixture.problem.units.stress_factor();
  EXPECT_EQ(table.find("sxx")->unit, "psi");
  EXPECT_EQ(table.find("sxx")->numbers[0], 1.0 / psi);
  EXPECT_EQ(table.find("ux")->heading(), "ux_in");
  EXPECT_EQ(table.find("ux")->numbers[0], 7.0 / 25.4);
  EXPECT_EQ(table.find("exx")->numbers[0], 10.0);
  EXPECT_EQ(table.find("stress_error")->heading(), "stress_error_psi");
  EXPECT_EQ(table.find("displacement_error")->numbers[0], 24.0 / 25.4);
  EXPECT_EQ(table.find("strain_error")->numbers[0], 25.0);
  // Coordinates stay as given, not converted back and forth.
  EXPECT_EQ(table.find("y")->heading(), "y_in");
  EXPECT_EQ(table.find("y")->numbers[1], 5.0);
}

TEST(ResultTable, RefusesAValueThatIsNotFinite) {
  Fixture fixture(Units{});
  fixture.rows[2].strain.yz = std::numeric_limits<double>::quiet_NaN();
  try {
    make_result_table(fixture.problem, fixture.rows);
    ADD_FAILURE();
  } catch (const ProblemError& error) {
    EXPECT_EQ(std::string(error.what()), "p.json: point 2: eyz did not come out as a finite number");
  }
}

TEST(ResultTable, NoRowsStillHasEveryColumn) {
  Fixture fixture(Units{});
  const ResultTable table = make_result_table(fixture.problem, {});
  EXPECT_EQ(table.rows, 0u);
  EXPECT_EQ(table.columns.size(), 32u);
}

}  // namespace
}  // namespace kestral::analyse
