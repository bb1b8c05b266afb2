// Report and console records, character by character.
#include "driver/report_writer.h"

#include <gtest/gtest.h>

#include <string>


namespace kestral {
namespace {

LayerSystem layer_system(int n, std::initializer_list<float> E, std::initializer_list<float> Mu,
                         std::initializer_list<float> H) {
  LayerSystem layers;
  layers.n = n;
  std::copy(E.begin(), E.end(), layers.E.begin());
  std::copy(Mu.begin(), Mu.end(), layers.Mu.begin());
  std::copy(H.begin(), H.end(), layers.H.begin());
  return layers;
}

TEST(EchoRecords, FourLayers) {
  const auto records = echo_records(
      layer_system(4, {3500, 2000, 350, 75}, {0.35f, 0.35f, 0.35f, 0.40f}, {80, 120, 200}),
      WheelLoad{20000.0f, 0.56f, 2.0f, 0.0f});
  const std::array<std::string, 6> expected = {
      "  No. of layers                4",
      "  E values (MPa)         3500.00 2000.00  350.00   75.00",
      "  Mu values                 0.350.350.350.40",
      "  thicknesses (mm)         80.00  120.00  200.00",
      "  single wheel load (N) 20000.00",
      "  tyre pressure (MPa)       0.56",
  };
  EXPECT_EQ(records, expected);
  // The value columns: n in 30-32, E and H from 25, Mu from 29.
  EXPECT_EQ(records[0].size(), 32u);
  EXPECT_EQ(records[1].substr(24, 8), " 3500.00");
  EXPECT_EQ(records[2].substr(28), "0.350.350.350.40");
  EXPECT_EQ(records[3].substr(24, 8), "   80.00");
}

TEST(EchoRecords, TwoLayersHaveTwoFieldsAndOneThickness) {
  const auto records = echo_records(layer_system(2, {4000, 120}, {0.30f, 0.45f}, {200}),
                                    WheelLoad{40000.0f, 0.8f, 2.0f, 0.0f});
  EXPECT_EQ(records[0], "  No. of layers                2");
  EXPECT_EQ(records[1], "  E values (MPa)         4000.00  120.00");  // columns 25-40
  EXPECT_EQ(records[2], "  Mu values                 0.300.45");      // columns 29-36
  EXPECT_EQ(records[3], "  thicknesses (mm)        200.00");          // columns 25-32
  EXPECT_EQ(records[1].size(), 40u);
  EXPECT_EQ(records[2].size(), 36u);
  EXPECT_EQ(records[3].size(), 32u);
  EXPECT_EQ(records[4], "  single wheel load (N) 40000.00");
  EXPECT_EQ(records[5], "  tyre pressure (MPa)       0.80");
}

TEST(EchoRecords, FiveLayersAndValuesThatDoNotFit) {
  // 100000 MPa needs nine characters in 8.2 and is shown as asterisks; so
  // is a load of a million newtons. A ratio of 0.5 fills its 4.2 field.
  const auto records =
      echo_records(layer_system(5, {100000, 2000, 400, 200, 60}, {0.35f, 0.5f, 0.35f, 0.35f, 0.40f},
                                {40, 80, 150, 250}),
                   WheelLoad{1.0e6f, 0.56f, 1.0f, 0.0f});
  EXPECT_EQ(records[0], "  No. of layers                5");
  EXPECT_EQ(records[1], "  E values (MPa)        ******** 2000.00  400.00  200.00   60.00");
  EXPECT_EQ(records[2], "  Mu values                 0.350.500.350.350.40");
  EXPECT_EQ(records[3], "  thicknesses (mm)         40.00   80.00  150.00  250.00");
  EXPECT_EQ(records[4], "  single wheel load (N) ********");
}

TEST(FixedRecords, WheelLinesAndColumnHeader) {
  EXPECT_EQ(wheel_line(false), "  Single Wheel");
  EXPECT_EQ(wheel_line(true), "  Dual  Wheel");
  const std::string header = column_header();
  EXPECT_EQ(header,
            "    Z        R      SigmaZ      SigmaT     SigmaR     TaoRZ      DispZ      epZ"
            "        epT        epR");
  EXPECT_EQ(header.size(), 101u);
  const struct {
    int column;
    const char* label;
  } labels[] = {{5, "Z"},      {14, "R"},     {21, "SigmaZ"}, {33, "SigmaT"}, {44, "SigmaR"},
                {55, "TaoRZ"}, {66, "DispZ"}, {77, "epZ"},    {88, "epT"},    {99, "epR"}};
  for (const auto& l : labels)
    EXPECT_EQ(header.find(l.label, l.column - 1), std::size_t(l.column - 1)) << l.label;
}

TEST(ResultRows, BothKindsAre104Characters) {
  ResultTable results;
  const float row[] = {120.0f, 100.0f,  -0.56f,    12.5f,      -0.00056f,
                       0.0f,   0.3618f, 7.915e-5f, -2.001e-4f, 1.0e-10f};
  for (int column = 1; column <= 10; ++column) results.at(3, column) = row[column - 1];

  const std::string ordinary = result_row(results, 3, kOrdinaryRow);
  const std::string interface = result_row(results, 3, kInterfaceRow);
  // Columns:  1-8     9-16    17-27      28-38      39-49      50-60      61-71      72-82 83-93
  // 94-104
  EXPECT_EQ(ordinary,
            "  120.00  100.00-0.5600E+00 0.1250E+02-0.5600E-03 0.0000E+00 0.3618E+00 0.7915E-04"
            "-0.2001E-03 0.1000E-09");
  EXPECT_EQ(interface,
            "  120.00L 100.00-0.5600E+00 0.1250E+02-0.5600E-03 0.0000E+00 0.3618E+00 0.7915E-04"
            "-0.2001E-03 0.1000E-09");
  EXPECT_EQ(ordinary.size(), 104u);
  EXPECT_EQ(interface.size(), 104u);
  EXPECT_EQ(interface[8], 'L');                 // column 9
  EXPECT_EQ(ordinary.substr(10, 6), "100.00");  // columns 11-16 in both kinds
  EXPECT_EQ(interface.substr(10, 6), "100.00");
  EXPECT_EQ(ordinary[16], '-');                       // a minus in the first column of its field
  EXPECT_EQ(ordinary.substr(49, 11), " 0.0000E+00");  // zero in columns 50-60
}

TEST(ResultRows, RowIsReadFromItsOwnPlaceInTheTable) {
  // Row 200, the last of the table, next to an unrelated row 199.
  ResultTable results;
  for (int column = 1; column <= 10; ++column) {
    results.at(199, column) = 9.0f;
    results.at(200, column) = static_cast<float>(column);
  }
  EXPECT_EQ(result_row(results, 200, kOrdinaryRow),
            "    1.00    2.00 0.3000E+01 0.4000E+01 0.5000E+01 0.6000E+01 0.7000E+01 0.8000E+01"
            " 0.9000E+01 0.1000E+02");
}

TEST(ConsoleRecords, ProgressLine) {
  // One blank, "Z=", a 15-character field, one blank, "  Rad=", a field.
  EXPECT_EQ(progress_line(700.0f, 0.0f), " Z=   700.0000       Rad=  0.0000000E+00");
  EXPECT_EQ(progress_line(120.0f, 100.0f), " Z=   120.0000       Rad=   100.0000    ");
  EXPECT_EQ(progress_line(0.0f, 310.0f), " Z=  0.0000000E+00   Rad=   310.0000    ");
}

}  // namespace
}  // namespace kestral
