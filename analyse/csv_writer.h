// The table as CSV (RFC 4180 quoting, lines ending in a line feed like the
// table of kestral-batch): a header of the column headings, then one line
// per row. A missing number (NaN: a failed fit of kestral-backcalc) is an
// empty field.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "analyse/result_table.h"
#include "analyse/table_digits.h"

namespace kestral::analyse {

// A text field as RFC 4180 has it: quoted, with quotes doubled, when it holds
// a comma, a double quote, a CR or an LF; otherwise as it is.
std::string csv_field(std::string_view text);

// Numbers as `digits` says (table_digits.h); the default keeps every bit.
void write_csv(const ResultTable& table, std::ostream& out, const TableDigits& digits = {});

}  // namespace kestral::analyse
