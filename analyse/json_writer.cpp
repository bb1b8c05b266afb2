#include "analyse/json_writer.h"

#include <cmath>
#include <string>

namespace kestral::analyse {

void write_json(const nlohmann::ordered_json& problem_echo, const ResultTable& table, std::ostream& out,
                const TableDigits& digits) {
  out << "{\"problem\": " << problem_echo.dump() << ",\n \"columns\": {";
  std::string line;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const Column& column = table.columns[c];
    line = c > 0 ? ",\n  " : "\n  ";
    line += nlohmann::json(column.heading()).dump() + ": [";
    for (std::size_t row = 0; row < table.rows; ++row) {
      if (row > 0) line += ", ";
      if (column.is_text) {
        line += nlohmann::json(column.texts[row]).dump();
      } else if (std::isnan(column.numbers[row])) {  // a value missing
        line += "null";
      } else {
        line += table_number(column.numbers[row], 0.0, digits);
      }
      // Keep the line buffer small on long columns.
      if (line.size() > 1 << 16) {
        out << line;
        line.clear();
      }
    }
    out << line << ']';
  }
  out << "}}\n";
}

}  // namespace kestral::analyse
