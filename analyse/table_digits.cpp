#include "analyse/table_digits.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "format/shortest_text.h"

namespace kestral::analyse {
namespace {

bool is_strain(std::string_view name) { return name == "strain_error" || (!name.empty() && name[0] == 'e'); }

std::string significant(double value, int digits) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  return std::string(buffer, result.ptr);
}

}  // namespace

bool parse_table_digits(const std::string& text, TableDigits& digits) {
  if (text == "all") {
    digits.mode = TableDigits::Mode::kAll;
    return true;
  }
  if (text == "estimate") {
    digits.mode = TableDigits::Mode::kEstimate;
    return true;
  }
  int n = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), n);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || n < 1 || n > kMaxTableDigits) {
    return false;
  }
  digits.mode = TableDigits::Mode::kSignificant;
  digits.significant = n;
  return true;
}

std::string table_number(double value, double error, const TableDigits& digits) {
  switch (digits.mode) {
    case TableDigits::Mode::kAll:
      return shortest_text(value);
    case TableDigits::Mode::kSignificant:
      return significant(value, digits.significant);
    case TableDigits::Mode::kEstimate:
      break;
  }
  if (!(error > 0.0) || !std::isfinite(error) || value == 0.0) return shortest_text(value);
  // The decade above the estimate: its digit and all below are noise.
  const double quantum_exponent = std::ceil(std::log10(error));
  if (std::abs(value) < 0.5 * std::pow(10.0, quantum_exponent)) return "0";
  const double value_exponent = std::floor(std::log10(std::abs(value)));
  const double kept = value_exponent - quantum_exponent + 1.0;  // digits at or above the decade
  if (kept < 1.0) return significant(value, 1);
  if (kept >= kMaxTableDigits) return shortest_text(value);
  return significant(value, static_cast<int>(kept));
}

std::vector<int> error_columns(const ResultTable& table) {
  const auto index_of = [&table](std::string_view name) {
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      if (table.columns[c].name == name) return static_cast<int>(c);
    }
    return kPrintedWhole;
  };
  const int stress = index_of("stress_error");
  const int displacement = index_of("displacement_error");
  const int strain = index_of("strain_error");
  std::vector<int> errors;
  for (const Column& column : table.columns) {
    const std::string& name = column.name;
    if (column.is_text || name == "point" || name == "x" || name == "y" || name == "z" || name == "layer") {
      errors.push_back(kPrintedWhole);
    } else if (name.ends_with("_error")) {
      errors.push_back(kIsErrorColumn);
    } else if (name[0] == 's') {
      errors.push_back(stress);
    } else if (name[0] == 'u') {
      errors.push_back(displacement);
    } else if (name[0] == 'e') {
      errors.push_back(strain);
    } else {
      errors.push_back(kPrintedWhole);
    }
  }
  return errors;
}

void strains_in_microstrain(ResultTable& table) {
  constexpr double kMicrostrain = 1e6;
  for (Column& column : table.columns) {
    if (column.is_text || !column.unit.empty() || !is_strain(column.name)) continue;
    for (double& value : column.numbers) value *= kMicrostrain;
    column.unit = "microstrain";
  }
}

}  // namespace kestral::analyse
