// The table of kestral-analyse: one row per point and face, one named
// column per quantity, in the problem's units. The CSV and JSON writers and
// the Python module all write these same columns.
#pragma once

#include <string>
#include <vector>

#include "analyse/problem.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {

struct Column {
  std::string name;   // "sxx", "e_h_max", "side"
  std::string unit;   // "MPa", "mm"; empty when dimensionless or text
  bool is_text = false;
  std::vector<double> numbers;     // one per row, unless is_text
  std::vector<std::string> texts;  // one per row, if is_text

  // The name with its unit, as the header gives it: "sxx_MPa", "exx".
  std::string heading() const { return unit.empty() ? name : name + "_" + unit; }
};

struct ResultTable {
  std::vector<Column> columns;
  std::size_t rows = 0;

  const Column* find(const std::string& name) const;
};

// The columns, in this order: point (1-based, `points` first, then the
// grid), x, y, z (as given), side (inside, above or below: the face of an
// interface the row is on), layer (1 at the top), layer_name (only when a
// layer is named), sxx syy szz sxy syz sxz, ux uy uz, exx eyy ezz exy eyz
// exz, s1 s2 s3 (principal stresses, largest first), e1 e2 e3, e_h_max (the
// largest horizontal principal strain), stress_error, displacement_error,
// strain_error. Stresses and displacements are converted to the problem's
// units. Throws ProblemError when a value is not finite (the engine failed
// to converge), so that no table shows NaN.
ResultTable make_result_table(const Problem& problem, const std::vector<multilayer::Result>& rows);

// The same in steps: the columns without rows, then rows appended block by
// block (so that the engine's rows need not all be held at once).
ResultTable empty_result_table(const Problem& problem);
void append_result_rows(ResultTable& table, const Problem& problem, const std::vector<multilayer::Result>& rows);

}  // namespace kestral::analyse
