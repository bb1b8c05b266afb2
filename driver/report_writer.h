// The records of the report ("KESTRAL.out") and of the console.
#pragma once

#include <array>
#include <string>

#include "driver/problem_input.h"
#include "hankel/result_table.h"

namespace kestral {

// Kinds of result row: the ordinary row, and the lower side of a point on an
// interface (printed with the letter L).
inline constexpr int kOrdinaryRow = 1;
inline constexpr int kInterfaceRow = 2;

// The six echo records of items 1 to 5: labels from column 3, values from
// column 30 (n), 25 (E, H, P, q) or 29 (Mu, 4.2 fields run together).
std::array<std::string, 6> echo_records(const LayerSystem& layers, const WheelLoad& load);

// "  Single Wheel" or "  Dual  Wheel" (a free-format line of one text item).
std::string wheel_line(bool dual);

// Column labels at their fixed start columns, ending after "epR".
std::string column_header();

// One 104-character result row: Z and R in 8.2 (kind 1), or Z 8.2, "L" and
// R 7.2 (kind 2); then the eight results in scientific 11.4.
std::string result_row(const ResultTable& results, int row, int kind);

// " Z=", Zc, "  Rad=", Rc as a free-format line.
std::string progress_line(float Zc, float Rc);

}  // namespace kestral
