#include "analyse/csv_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

namespace kestral::analyse {
namespace {

TEST(CsvWriter, QuotesOnlyWhatRfc4180Requires) {
  EXPECT_EQ(csv_field("base"), "base");
  EXPECT_EQ(csv_field(""), "");
  EXPECT_EQ(csv_field("sub, grade"), "\"sub, grade\"");
  EXPECT_EQ(csv_field("6\" slab"), "\"6\"\" slab\"");
  EXPECT_EQ(csv_field("a\nb"), "\"a\nb\"");
  EXPECT_EQ(csv_field("a\rb"), "\"a\rb\"");
  EXPECT_EQ(csv_field("a;b 'c'"), "a;b 'c'");
}

TEST(CsvWriter, HeaderThenOneLinePerRow) {
  ResultTable table;
  table.rows = 2;
  table.columns.push_back(Column{"point", "", false, {1, 2}, {}});
  table.columns.push_back(Column{"side", "", true, {}, {"inside", "below"}});
  table.columns.push_back(Column{"layer_name", "", true, {}, {"a\"b", "c,d"}});
  table.columns.push_back(Column{"sxx", "MPa", false, {-0.56, 1e-300}, {}});
  table.columns.push_back(Column{"exx", "", false, {0.1, -0.0}, {}});
  std::ostringstream out;
  write_csv(table, out);
  EXPECT_EQ(out.str(),
            "point,side,layer_name,sxx_MPa,exx\n"
            "1,inside,\"a\"\"b\",-0.56,0.1\n"
            "2,below,\"c,d\",1e-300,-0\n");
}

TEST(CsvWriter, AMissingNumberIsAnEmptyField) {
  ResultTable table;
  table.rows = 2;
  table.columns.push_back(Column{"E", "", false, {std::numeric_limits<double>::quiet_NaN(), 300}, {}});
  table.columns.push_back(Column{"status", "", true, {}, {"failed:load", "converged"}});
  std::ostringstream out;
  write_csv(table, out);
  EXPECT_EQ(out.str(), "E,status\n,failed:load\n300,converged\n");
}

TEST(CsvWriter, NumbersReadBackAsTheSameDouble) {
  const std::vector<double> values{1.0 / 3.0, -2.0 / 7.0, 1e-17, 123456789.123456789, std::nextafter(1.0, 2.0),
                                   std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max()};
  ResultTable table;
  table.rows = values.size();
  table.columns.push_back(Column{"v", "", false, values, {}});
  std::ostringstream out;
  write_csv(table, out);
  std::istringstream in(out.str());
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "v");
  for (double value : values) {
    ASSERT_TRUE(std::getline(in, line));
    double back = 0.0;
    std::from_chars(line.data(), line.data() + line.size(), back);
    EXPECT_EQ(back, value) << line;
  }
}

}  // namespace
}  // namespace kestral::analyse
