#include "analyse/json_writer.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace kestral::analyse {
namespace {

ResultTable small_table() {
  ResultTable table;
  table.rows = 2;
  table.columns.push_back(Column{"point", "", false, {1, 2}, {}});
  table.columns.push_back(Column{"side", "", true, {}, {"above", "b\"\\\n"}});
  table.columns.push_back(Column{"uz", "mm", false, {1.0 / 3.0, -1e-300}, {}});
  return table;
}

TEST(JsonWriter, ExactLayout) {
  std::ostringstream out;
  write_json(nlohmann::ordered_json{{"tolerance", 1e-8}}, small_table(), out);
  EXPECT_EQ(out.str(),
            "{\"problem\": {\"tolerance\":1e-08},\n"
            " \"columns\": {\n"
            "  \"point\": [1, 2],\n"
            "  \"side\": [\"above\", \"b\\\"\\\\\\n\"],\n"
            "  \"uz_mm\": [0.3333333333333333, -1e-300]}}\n");
}

TEST(JsonWriter, AMissingNumberIsNull) {
  ResultTable table;
  table.rows = 2;
  table.columns.push_back(Column{"E", "", false, {300, std::numeric_limits<double>::quiet_NaN()}, {}});
  std::ostringstream out;
  write_json(nlohmann::ordered_json::object(), table, out);
  EXPECT_EQ(out.str(), "{\"problem\": {},\n \"columns\": {\n  \"E\": [300, null]}}\n");
}

TEST(JsonWriter, ReadsBackWithEveryValueUnchanged) {
  const ResultTable table = small_table();
  std::ostringstream out;
  nlohmann::ordered_json echo;
  echo["units"] = {{"length", "mm"}};
  write_json(echo, table, out);
  const nlohmann::json back = nlohmann::json::parse(out.str());
  EXPECT_EQ(back["problem"]["units"]["length"], "mm");
  ASSERT_EQ(back["columns"].size(), 3u);
  EXPECT_EQ(back["columns"]["side"][1], "b\"\\\n");
  EXPECT_EQ(back["columns"]["uz_mm"][0].get<double>(), 1.0 / 3.0);
  EXPECT_EQ(back["columns"]["uz_mm"][1].get<double>(), -1e-300);
  EXPECT_EQ(back["columns"]["point"][1].get<double>(), 2.0);
}

TEST(JsonWriter, EmptyTableHasEmptyArrays) {
  ResultTable table;
  table.columns.push_back(Column{"point", "", false, {}, {}});
  std::ostringstream out;
  write_json(nlohmann::ordered_json::object(), table, out);
  EXPECT_EQ(nlohmann::json::parse(out.str())["columns"]["point"], nlohmann::json::array());
}

}  // namespace
}  // namespace kestral::analyse
