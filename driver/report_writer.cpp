#include "driver/report_writer.h"

#include "format/format.h"

namespace kestral {
namespace {

// Moves a record to 1-based column `column`, padding with blanks.
void move_to_column(std::string& record, int column) {
  if (static_cast<int>(record.size()) < column - 1) record.resize(column - 1, ' ');
}

std::string labelled(const char* label, int values_column) {
  std::string record = "  ";
  record += label;
  move_to_column(record, values_column);
  return record;
}

}  // namespace

std::array<std::string, 6> echo_records(const LayerSystem& layers, const WheelLoad& load) {
  std::array<std::string, 6> records;
  records[0] = labelled("No. of layers", 30) + format_integer(layers.n, 3);
  records[1] = labelled("E values (MPa)", 25);
  for (int k = 0; k < layers.n; ++k) records[1] += format_fixed(layers.E[k], 8, 2);
  records[2] = labelled("Mu values", 29);
  for (int k = 0; k < layers.n; ++k) records[2] += format_fixed(layers.Mu[k], 4, 2);
  records[3] = labelled("thicknesses (mm)", 25);
  for (int k = 0; k < layers.n - 1; ++k) records[3] += format_fixed(layers.H[k], 8, 2);
  records[4] = labelled("single wheel load (N)", 25) + format_fixed(load.P, 8, 2);
  records[5] = labelled("tyre pressure (MPa)", 25) + format_fixed(load.q, 8, 2);
  return records;
}

std::string wheel_line(bool dual) {
  return FreeFormatLine().text(dual ? " Dual  Wheel" : " Single Wheel").str();
}

std::string column_header() {
  static const struct {
    int column;
    const char* label;
  } kLabels[] = {{5, "Z"},       {14, "R"},      {21, "SigmaZ"}, {33, "SigmaT"}, {44, "SigmaR"},
                 {55, "TaoRZ"},  {66, "DispZ"},  {77, "epZ"},    {88, "epT"},    {99, "epR"}};
  std::string record;
  for (const auto& entry : kLabels) {
    move_to_column(record, entry.column);
    record += entry.label;
  }
  return record;
}

std::string result_row(const ResultTable& results, int row, int kind) {
  std::string record = format_fixed(results.at(row, kColZ), 8, 2);
  if (kind == kInterfaceRow) {
    record += 'L';
    record += format_fixed(results.at(row, kColR), 7, 2);
  } else {
    record += format_fixed(results.at(row, kColR), 8, 2);
  }
  for (int column = kColSigmaZ; column <= kColEpR; ++column) {
    record += format_scientific_11_4(results.at(row, column));
  }
  return record;
}

std::string progress_line(float Zc, float Rc) {
  return FreeFormatLine().text("Z=").real(Zc).text("  Rad=").real(Rc).str();
}

}  // namespace kestral
