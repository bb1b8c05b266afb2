#pragma once

#include <array>

namespace kestral {

inline constexpr int kResultRows = 200;
inline constexpr int kResultColumns = 10;

// Columns of a result row, numbered from 1 as in the report.
enum ResultColumn : int {
  kColZ = 1,
  kColR = 2,
  kColSigmaZ = 3,
  kColSigmaT = 4,
  kColSigmaR = 5,
  kColTaoRZ = 6,
  kColDispZ = 7,
  kColEpZ = 8,
  kColEpT = 9,
  kColEpR = 10,
};

// The result table: 200 rows of 10 single-precision reals, stored column by
// column with leading dimension 200, zero-filled at start.
struct ResultTable {
  std::array<float, kResultRows * kResultColumns> cells{};

  // Row 1..200, column 1..10.
  float& at(int row, int column) { return cells[(row - 1) + (column - 1) * kResultRows]; }
  float at(int row, int column) const { return cells[(row - 1) + (column - 1) * kResultRows]; }
};

}  // namespace kestral
