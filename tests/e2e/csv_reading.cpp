#include "tests/e2e/csv_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>

namespace kestral::testing {
namespace {

// Splits one record starting at `at`, which moves past its line end.
std::vector<std::string> next_record(const std::string& text, std::size_t& at) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at++];
    if (quoted) {
      if (c == '"' && at < text.size() && text[at] == '"') {
        fields.back() += '"';
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      break;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace

CsvTable parse_csv(const std::string& text) {
  CsvTable table;
  std::size_t at = 0;
  if (text.empty()) return table;
  table.header = next_record(text, at);
  while (at < text.size()) {
    table.rows.push_back(next_record(text, at));
    EXPECT_EQ(table.rows.back().size(), table.header.size()) << "row " << table.rows.size();
  }
  return table;
}

std::vector<std::string> CsvTable::texts(const std::string& heading) const {
  const auto found = std::find(header.begin(), header.end(), heading);
  EXPECT_NE(found, header.end()) << heading;
  std::vector<std::string> column;
  if (found == header.end()) return column;
  const auto index = static_cast<std::size_t>(found - header.begin());
  for (const auto& row : rows) column.push_back(index < row.size() ? row[index] : "");
  return column;
}

std::vector<double> CsvTable::numbers(const std::string& heading) const {
  std::vector<double> column;
  for (const std::string& text : texts(heading)) {
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size()) << heading << ": " << text;
    column.push_back(value);
  }
  return column;
}

}  // namespace kestral::testing
