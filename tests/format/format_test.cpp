// Field writers: every documented example as an exact string, and the
// rounding carries at the edges of each form.
#include "format/format.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestral {
namespace {

TEST(FormatFixed, DocumentedExamples) {
  EXPECT_EQ(format_fixed(0.35f, 4, 2), "0.35");
  EXPECT_EQ(format_fixed(0.5f, 8, 2), "    0.50");
  EXPECT_EQ(format_fixed(3000.0f, 8, 2), " 3000.00");
  EXPECT_EQ(format_fixed(100000.0f, 8, 2), "********");
  EXPECT_EQ(format_fixed(100.0f, 7, 2), " 100.00");
  EXPECT_EQ(format_fixed(0.0f, 8, 2), "    0.00");
}

TEST(FormatFixed, RoundsAndCarries) {
  EXPECT_EQ(format_fixed(99999.99f, 8, 2), "99999.99");
  EXPECT_EQ(format_fixed(99999.999f, 8, 2), "********");  // rounds to 100000.00
  EXPECT_EQ(format_fixed(9.996f, 8, 2), "   10.00");
  EXPECT_EQ(format_fixed(0.996f, 4, 2), "1.00");
  EXPECT_EQ(format_fixed(0.004f, 4, 2), "0.00");
  EXPECT_EQ(format_fixed(0.006f, 8, 2), "    0.01");
  EXPECT_EQ(format_fixed(0.125f, 8, 2), "    0.13");  // exact tie: away from zero
  EXPECT_EQ(format_fixed(-0.5f, 4, 2), "-.50");        // no room for the zero
  EXPECT_EQ(format_fixed(-0.5f, 8, 2), "   -0.50");
  EXPECT_EQ(format_fixed(-0.0f, 8, 2), "    0.00");
  EXPECT_EQ(format_fixed(1.0f, 4, 2), "1.00");
  EXPECT_EQ(format_fixed(10.0f, 4, 2), "****");
}

TEST(FormatScientific, DocumentedExamples) {
  EXPECT_EQ(format_scientific_11_4(12.5f), " 0.1250E+02");
  EXPECT_EQ(format_scientific_11_4(-0.00056f), "-0.5600E-03");
  EXPECT_EQ(format_scientific_11_4(0.0f), " 0.0000E+00");
  EXPECT_EQ(format_scientific_11_4(-0.0f), " 0.0000E+00");
}

TEST(FormatScientific, CarryIntoTheNextPowerOfTen) {
  EXPECT_EQ(format_scientific_11_4(0.99996f), " 0.1000E+01");
  EXPECT_EQ(format_scientific_11_4(0.99994f), " 0.9999E+00");
  EXPECT_EQ(format_scientific_11_4(-9.99996e-5f), "-0.1000E-03");
  EXPECT_EQ(format_scientific_11_4(1.0f), " 0.1000E+01");
  EXPECT_EQ(format_scientific_11_4(0.1f), " 0.1000E+00");
}

TEST(FormatScientific, ExtremesOfSinglePrecision) {
  EXPECT_EQ(format_scientific_11_4(std::numeric_limits<float>::max()), " 0.3403E+39");
  EXPECT_EQ(format_scientific_11_4(std::numeric_limits<float>::denorm_min()), " 0.1401E-44");
  EXPECT_EQ(format_scientific_11_4(-std::numeric_limits<float>::min()), "-0.1175E-37");
}

TEST(FormatInteger, RightJustified) {
  EXPECT_EQ(format_integer(4, 3), "  4");
  EXPECT_EQ(format_integer(-12, 3), "-12");
  EXPECT_EQ(format_integer(1234, 3), "***");
}

TEST(FreeFormatReal, DocumentedExamples) {
  EXPECT_EQ(format_free_real(150.0f), "   150.0000    ");
  EXPECT_EQ(format_free_real(0.0f), "  0.0000000E+00");
  EXPECT_EQ(format_free_real(0.0625f), "  6.2500000E-02");
  EXPECT_EQ(format_free_real(-0.5600373f), " -0.5600373    ");
  EXPECT_EQ(format_free_real(-1.077242f), "  -1.077242    ");
  EXPECT_EQ(format_free_real(-5.7926856e-02f), " -5.7926856E-02");
  EXPECT_EQ(format_free_real(80.0f), "   80.00000    ");
}

TEST(FreeFormatReal, EdgesOfTheFixedForm) {
  EXPECT_EQ(format_free_real(0.1f), "  0.1000000    ");
  EXPECT_EQ(format_free_real(9999999.0f), "   9999999.    ");
  EXPECT_EQ(format_free_real(1.0e7f), "  1.0000000E+07");
  EXPECT_EQ(format_free_real(9.9999999f), "   10.00000    ");  // carry keeps 7 digits
  EXPECT_EQ(format_free_real(0.099999994f), "  9.9999994E-02");
  EXPECT_EQ(format_free_real(-2.5e-9f), " -2.5000000E-09");
}

TEST(FreeFormatLine, ItemsAndSeparators) {
  EXPECT_EQ(FreeFormatLine().text(" Single Wheel").str(), "  Single Wheel");
  EXPECT_EQ(FreeFormatLine().text(" Dual  Wheel").str(), "  Dual  Wheel");
  EXPECT_EQ(FreeFormatLine().text("Z=").real(0.0f).text("  Rad=").real(155.0f).str(),
            " Z=  0.0000000E+00   Rad=   155.0000    ");
  EXPECT_EQ(FreeFormatLine().text("Tao  RZ value=").real(0.0f).str(),
            " Tao  RZ value=  0.0000000E+00");
  EXPECT_EQ(FreeFormatLine().real(1.0f).real(2.0f).str(), "    1.000000       2.000000    ");
}

}  // namespace
}  // namespace kestral
