#include "analyse/csv_writer.h"

#include <cmath>

#include "analyse/table_digits.h"

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

void write_csv(const ResultTable& table, std::ostream& out, const TableDigits& digits) {
  const std::vector<int> errors = error_columns(table);
  TableDigits error_digits;
  error_digits.mode = TableDigits::Mode::kSignificant;
  error_digits.significant = kErrorDigits;
  std::string line;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (c > 0) line += ',';
    line += csv_field(table.columns[c].heading());
  }
  out << line << '\n';
  for (std::size_t row = 0; row < table.rows; ++row) {
    line.clear();
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const Column& column = table.columns[c];
      if (c > 0) line += ',';
      if (column.is_text) {
        line += csv_field(column.texts[row]);
      } else if (std::isnan(column.numbers[row])) {
        // a value missing (a failed fit of kestral-backcalc): an empty field
      } else {
        const double value = column.numbers[row];
        const int error = errors[c];
        if (digits.mode != TableDigits::Mode::kEstimate || error == kPrintedWhole) {
          line += table_number(value, 0.0, digits.mode == TableDigits::Mode::kEstimate ? TableDigits{} : digits);
        } else if (error == kIsErrorColumn) {
          line += table_number(value, 0.0, error_digits);
        } else {
          line += table_number(value, table.columns[static_cast<std::size_t>(error)].numbers[row], digits);
        }
      }
    }
    out << line << '\n';
  }
}

}  // namespace kestral::analyse
