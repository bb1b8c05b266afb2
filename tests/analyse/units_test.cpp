#include "analyse/units.h"

#include <gtest/gtest.h>

namespace kestral::analyse {
namespace {

TEST(Units, NamesAndFactorsOfEveryUnit) {
  struct Row {
    const char* name;
    double factor;
  };
  // The inch (25.4 mm) and the pound-force (4.4482216152605 N) are exact by
  // definition; the psi is their quotient, rounded once.
  for (const Row& row : {Row{"mm", 1.0}, Row{"m", 1000.0}, Row{"in", 25.4}}) {
    const auto unit = length_unit_named(row.name);
    ASSERT_TRUE(unit) << row.name;
    EXPECT_EQ(unit_name(*unit), row.name);
    EXPECT_EQ((Units{*unit, StressUnit::MPa, ForceUnit::N}.length_factor()), row.factor);
  }
  for (const Row& row : {Row{"MPa", 1.0}, Row{"kPa", 1e-3}, Row{"psi", 4.4482216152605 / 645.16}}) {
    const auto unit = stress_unit_named(row.name);
    ASSERT_TRUE(unit) << row.name;
    EXPECT_EQ(unit_name(*unit), row.name);
    EXPECT_EQ((Units{LengthUnit::mm, *unit, ForceUnit::N}.stress_factor()), row.factor);
  }
  for (const Row& row : {Row{"N", 1.0}, Row{"kN", 1000.0}, Row{"lbf", 4.4482216152605}}) {
    const auto unit = force_unit_named(row.name);
    ASSERT_TRUE(unit) << row.name;
    EXPECT_EQ(unit_name(*unit), row.name);
    EXPECT_EQ((Units{LengthUnit::mm, StressUnit::MPa, *unit}.force_factor()), row.factor);
  }
  // A psi is 6.894757 kPa (to the 7 digits of the usual tables).
  EXPECT_NEAR((Units{LengthUnit::mm, StressUnit::psi, ForceUnit::N}.stress_factor()), 6.894757e-3, 5e-10);
}

TEST(Units, NamesAreExact) {
  for (const char* name : {"MM", "Mm", "mm ", "", "inch", "cm"}) EXPECT_FALSE(length_unit_named(name)) << name;
  for (const char* name : {"mpa", "Pa", "GPa", "PSI"}) EXPECT_FALSE(stress_unit_named(name)) << name;
  for (const char* name : {"n", "kip", "kgf"}) EXPECT_FALSE(force_unit_named(name)) << name;
}

TEST(Units, DefaultsAreTheEngineUnits) {
  const Units units;
  EXPECT_EQ(units.length_factor(), 1.0);
  EXPECT_EQ(units.stress_factor(), 1.0);
  EXPECT_EQ(units.force_factor(), 1.0);
}

}  // namespace
}  // namespace kestral::analyse
