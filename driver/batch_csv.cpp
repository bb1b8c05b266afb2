#include "driver/batch_csv.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "driver/report_writer.h"
#include "format/shortest_text.h"

namespace kestral {
namespace {

// A result: %.9g, enough digits for any float to read back unchanged.
void append_full_precision(std::string& text, float value) {
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
  text.append(buffer, static_cast<std::size_t>(std::clamp(length, 0, 31)));
}

}  // namespace

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

std::string csv_header() {
  return "folder,Z,R,side,layer,SigmaZ,SigmaT,SigmaR,TaoRZ,DispZ,epZ,epT,epR";
}

std::string csv_rows_after_folder(const RunRecord& record) {
  std::string text;
  const int rows = std::clamp(record.rows_printed, 0, kMaxResultRows);
  for (int row = 1; row <= rows; ++row) {
    const auto index = static_cast<std::size_t>(row - 1);
    text += ',';
    text += shortest_text(record.results.at(row, kColZ));
    text += ',';
    text += shortest_text(record.results.at(row, kColR));
    text += record.kinds[index] == kInterfaceRow ? ",lower," : ",upper,";
    text += std::to_string(record.layers[index]);
    for (int column = kColSigmaZ; column <= kColEpR; ++column) {
      text += ',';
      append_full_precision(text, record.results.at(row, column));
    }
    text += '\n';
  }
  return text;
}

}  // namespace kestral
