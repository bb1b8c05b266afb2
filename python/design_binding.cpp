// The design check from Python: design_json (a problem file's text to the
// very text kestral-design --format json prints, for the web application),
// design_check (a problem laid out as dicts and lists, or a file's path, the
// Monte Carlo samples' way in too). The GIL is
// released from reading to the finished report; a problem the reader or the
// engine refuses is ValueError with the program's message.
#include <string>

#include <pybind11/pybind11.h>

#include "analyse/json_document.h"
#include "design/design_report.h"
#include "design/problem_reader.h"
#include "python/bindings.h"
#include "python/json_value.h"

namespace kestral::python {
namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// The report's text, the engine's refusals named after the source as the
// program names them.
std::string report_of(const std::function<design::DesignProblem()>& read) {
  std::string text;
  without_gil([&](const std::atomic<bool>&) {
    design::DesignProblem problem = read();
    const std::string source = problem.base.source;
    try {
      text = design::json_report_text(design::run_design(std::move(problem)));
    } catch (const multilayer::InvalidProblem& error) {
      throw analyse::ProblemError(source + ": " + error.what());
    }
  });
  return text;
}

std::string design_json(const std::string& text, const std::string& source) {
  return report_of([&] { return design::read_design_problem(analyse::parse_json_text(text, source), source); });
}

std::string design_check(const py::object& problem, const std::string& source) {
  if (py::isinstance<py::str>(problem)) {
    const std::string path = problem.cast<std::string>();
    return report_of([&] { return design::read_design_file(path); });
  }
  nlohmann::json document;
  try {
    document = json_from_python(problem);
  } catch (const py::value_error& error) {
    throw py::value_error(source + ": " + error.what());
  }
  return report_of([&] { return design::read_design_problem(document, source); });
}

}  // namespace

void bind_design(py::module_& module) {
  module.def("design_json", &design_json, "text"_a, "source"_a,
             "A design problem file's text (named `source` in messages) to the JSON report "
             "kestral-design --format json prints, exactly.");
  module.def("design_check", &design_check, "problem"_a, "source"_a,
             "A design problem (dicts and lists laid out as a problem file, or a file's path) "
             "to its JSON report as text.");
}

}  // namespace kestral::python
