// How many digits the table prints. Every result carries an error estimate
// (stress_error, displacement_error, strain_error of its row); digits below
// it change from one engine version or tolerance to the next, so by default
// the CSV table rounds each result at the decade above its estimate: a
// re-run of an example then gives the same bytes. --digits N asks for N
// significant digits instead, --digits all for every bit (the shortest text
// that reads back as the same double).
#pragma once

#include <string>
#include <vector>

#include "analyse/result_table.h"

namespace kestral::analyse {

struct TableDigits {
  enum class Mode { kEstimate, kSignificant, kAll };
  Mode mode = Mode::kAll;
  int significant = 17;  // for kSignificant, 1 to 17
};

// Most significant digits asked for with --digits.
inline constexpr int kMaxTableDigits = 17;
// Significant digits of an error estimate printed under kEstimate.
inline constexpr int kErrorDigits = 2;

// The --digits argument ("all", "estimate" or 1 to 17); none for anything else.
bool parse_table_digits(const std::string& text, TableDigits& digits);

// The text of `value` under `digits`; `error` is the estimate that bounds
// its error (0 or negative: none, every bit printed under kEstimate).
std::string table_number(double value, double error, const TableDigits& digits);

// For each column, the index of the error column that bounds its values
// (sxx..s3 stress_error, ux..uz displacement_error, exx..e_h_max
// strain_error), -1 for a column printed whole (point, coordinates, layer)
// and -2 for an error column itself (kErrorDigits significant digits).
std::vector<int> error_columns(const ResultTable& table);
inline constexpr int kPrintedWhole = -1;
inline constexpr int kIsErrorColumn = -2;

// Strains (and strain_error) in microstrain: times 1e6, unit "microstrain".
void strains_in_microstrain(ResultTable& table);

}  // namespace kestral::analyse
