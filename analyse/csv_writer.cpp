#include "analyse/csv_writer.h"

#include <charconv>
#include <cmath>

namespace kestral::analyse {

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

void write_csv(const ResultTable& table, std::ostream& out) {
  std::string line;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (c > 0) line += ',';
    line += csv_field(table.columns[c].heading());
  }
  out << line << '\n';
  char buffer[64];
  for (std::size_t row = 0; row < table.rows; ++row) {
    line.clear();
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const Column& column = table.columns[c];
      if (c > 0) line += ',';
      if (column.is_text) {
        line += csv_field(column.texts[row]);
      } else if (!std::isnan(column.numbers[row])) {  // NaN: a value missing, an empty field
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, column.numbers[row]);
        line.append(buffer, result.ptr);
      }
    }
    out << line << '\n';
  }
}

}  // namespace kestral::analyse
