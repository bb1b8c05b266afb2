// kestral.run_legacy: the legacy program in a folder (KESTRAL.in and
// gauss.qua there, the report written there as the program writes it), its
// printed rows handed back as columns.
#include <sstream>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "driver/report_writer.h"
#include "driver/run.h"
#include "python/bindings.h"
#include "python/column_arrays.h"

namespace kestral::python {
namespace py = pybind11;
using namespace pybind11::literals;

namespace {

struct LegacyColumn {
  const char* name;
  int column;
  const char* unit;
};

constexpr LegacyColumn kLegacyColumns[] = {
    {"Z", kColZ, "mm"},           {"R", kColR, "mm"},
    {"SigmaZ", kColSigmaZ, "MPa"}, {"SigmaT", kColSigmaT, "MPa"},
    {"SigmaR", kColSigmaR, "MPa"}, {"TaoRZ", kColTaoRZ, "MPa"},
    {"DispZ", kColDispZ, "mm"},    {"epZ", kColEpZ, ""},
    {"epT", kColEpT, ""},          {"epR", kColEpR, ""},
};

// The first line of the diagnostics, the run's one-line message.
std::string first_line(const std::string& text) {
  const auto end = text.find('\n');
  return end == std::string::npos ? text : text.substr(0, end);
}

py::dict run_legacy(const std::string& folder) {
  std::ostringstream console;
  std::ostringstream errors;
  RunRecord record;
  int status = 0;
  {
    py::gil_scoped_release engine_runs;
    status = run_analysis(RunFiles::in_folder(folder), console, errors, &record);
  }
  if (status != 0) throw py::value_error(first_line(errors.str()));

  const auto rows = static_cast<std::size_t>(record.rows_printed);
  py::dict columns;
  py::dict units;
  for (const auto& [name, column, unit] : kLegacyColumns) {
    std::vector<double> values(rows);
    for (std::size_t row = 0; row < rows; ++row)
      values[row] = static_cast<double>(record.results.at(static_cast<int>(row) + 1, column));
    columns[name] = array_taking(std::move(values));
    units[name] = unit;
  }
  std::vector<long long> layers(rows);
  std::vector<long long> lower_face(rows);
  for (std::size_t row = 0; row < rows; ++row) {
    layers[row] = record.layers[row];
    lower_face[row] = record.kinds[row] == kInterfaceRow ? 1 : 0;
  }
  columns["layer"] = integer_array(layers);
  units["layer"] = "";
  columns["L"] = py::module_::import("numpy").attr("array")(integer_array(lower_face),
                                                            "dtype"_a = "bool");
  units["L"] = "";
  return py::dict("columns"_a = columns, "units"_a = units, "console"_a = console.str(),
                  "messages"_a = errors.str());
}

}  // namespace

void bind_legacy(py::module_& module) {
  module.def("run_legacy", &run_legacy, "folder"_a,
             "Runs the legacy program in `folder`; returns its printed rows as columns.");
}

}  // namespace kestral::python
