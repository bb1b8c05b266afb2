// The CSV table's pieces: RFC 4180 quoting, the header, and the rows of a
// run record (Z and R in shortest form, results at full float precision).
#include "driver/batch_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver/report_writer.h"

namespace kestral {
namespace {

TEST(BatchCsv, QuotesFieldsAsRfc4180Says) {
  EXPECT_EQ(csv_field("trials/t080"), "trials/t080");
  EXPECT_EQ(csv_field("trial 80"), "trial 80");  // a blank alone needs no quotes
  EXPECT_EQ(csv_field("80, wet"), "\"80, wet\"");
  EXPECT_EQ(csv_field("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv_field("a\rb"), "\"a\rb\"");
  EXPECT_EQ(csv_field("a\nb"), "\"a\nb\"");
  EXPECT_EQ(csv_field(""), "");
}


TEST(BatchCsv, HeaderNamesEveryColumnOnce) {
  EXPECT_EQ(csv_header(), "folder,Z,R,side,layer,SigmaZ,SigmaT,SigmaR,TaoRZ,DispZ,epZ,epT,epR");
}

// Two rows, an ordinary one and the row below an interface: every number
// reads back as the very float of the record.
TEST(BatchCsv, RowsOfARecordReadBackAsItsFloats) {
  RunRecord record;
  record.rows_printed = 2;
  record.kinds[0] = kOrdinaryRow;
  record.kinds[1] = kInterfaceRow;
  record.layers[0] = 1;
  record.layers[1] = 2;
  for (int row = 1; row <= 2; ++row) {
    record.results.at(row, kColZ) = 12.7f;
    record.results.at(row, kColR) = 0.0f;
    for (int column = kColSigmaZ; column <= kColEpR; ++column) {
      record.results.at(row, column) = 1.0f / static_cast<float>(3 * column + row);
    }
  }
  record.results.at(1, kColSigmaZ) = -0.000208566271f;
  const std::string text = csv_rows_after_folder(record);
  std::istringstream lines(text);
  std::string line;
  for (int row = 1; row <= 2; ++row) {
    ASSERT_TRUE(std::getline(lines, line));
    const std::string start = row == 1 ? ",12.7,0,upper,1," : ",12.7,0,lower,2,";
    ASSERT_EQ(line.rfind(start, 0), 0u) << line;
    std::istringstream cells(line.substr(start.size()));
    for (int column = kColSigmaZ; column <= kColEpR; ++column) {
      std::string cell;
      ASSERT_TRUE(std::getline(cells, cell, ','));
      EXPECT_EQ(std::strtof(cell.c_str(), nullptr), record.results.at(row, column)) << cell;
    }
  }
  EXPECT_FALSE(std::getline(lines, line));
  EXPECT_EQ(text.back(), '\n');

  // A record claiming more rows than its tables hold prints only those.
  record.rows_printed = 1000;
  const std::string capped = csv_rows_after_folder(record);
  EXPECT_EQ(std::count(capped.begin(), capped.end(), '\n'), kMaxResultRows);
}

}  // namespace
}  // namespace kestral
