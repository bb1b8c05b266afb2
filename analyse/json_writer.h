// The results as one JSON object:
//   {"problem": <the problem as understood, defaults filled in>,
//    "columns": {"point": [1, 2, ...], "x_mm": [...], ..., "side": ["inside", ...]}}
// Columns are keyed by their headings in table order; numbers are written
// in the shortest form that reads back as the same double, a missing one
// (NaN) as null. Written as it goes, so that a large table is never held
// twice in memory.
#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

#include "analyse/result_table.h"
#include "analyse/table_digits.h"

namespace kestral::analyse {

// --digits N applies (table_digits.h); by default every bit is written, and
// so under kEstimate too: JSON is for programs.
void write_json(const nlohmann::ordered_json& problem_echo, const ResultTable& table, std::ostream& out,
                const TableDigits& digits = {});

}  // namespace kestral::analyse
