// result_columns: the quantities of kestral-analyse's table, in its order,
// with the unit each has in the default units, so that the package (the
// plot module) takes its list from the table instead of keeping a copy.
#include <string>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analyse/problem.h"
#include "analyse/result_table.h"
#include "python/bindings.h"

namespace kestral::python {
namespace py = pybind11;

namespace {

// The columns that say where a row is rather than what was computed there.
bool is_place(const analyse::Column& column) {
  for (const char* name : {"point", "x", "y", "z", "side", "layer", "layer_name"})
    if (column.name == name) return true;
  return false;
}

std::vector<std::pair<std::string, std::string>> result_columns() {
  std::vector<std::pair<std::string, std::string>> quantities;
  for (const analyse::Column& column : analyse::empty_result_table(analyse::Problem{}).columns)
    if (!column.is_text && !is_place(column)) quantities.emplace_back(column.name, column.unit);
  return quantities;
}

}  // namespace

void bind_result_columns(py::module_& module) {
  module.def("result_columns", &result_columns,
             "The computed columns of the table, in order, as (name, unit in mm, MPa, N).");
  module.attr("MAX_PROBLEM_POINTS") = analyse::kMaxProblemPoints;
}

}  // namespace kestral::python
