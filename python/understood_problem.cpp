#include "python/understood_problem.h"

#include <pybind11/stl.h>

#include "analyse/run_problem.h"
#include "python/json_value.h"

namespace kestral::python {
namespace py = pybind11;

UnderstoodProblem::UnderstoodProblem(analyse::Problem&& problem) : echo_(std::move(problem.echo)) {
  const double length = problem.units.length_factor();
  for (const multilayer::Load& load : analyse::engine_loads(problem))
    load_radii_.push_back(load.radius / length);
}

py::object UnderstoodProblem::to_dict() const { return python_from_json(echo_); }

py::tuple UnderstoodProblem::state() const {
  return py::make_tuple(echo_.dump(), load_radii_);
}

UnderstoodProblem UnderstoodProblem::from_state(const py::tuple& state) {
  if (state.size() != 2) throw std::runtime_error("not the state of an UnderstoodProblem");
  UnderstoodProblem problem;
  problem.echo_ = nlohmann::ordered_json::parse(state[0].cast<std::string>());
  problem.load_radii_ = state[1].cast<std::vector<double>>();
  return problem;
}

void bind_understood_problem(py::module_& module) {
  py::class_<UnderstoodProblem>(module, "UnderstoodProblem")
      .def("to_dict", &UnderstoodProblem::to_dict)
      .def_property_readonly("load_radii", &UnderstoodProblem::load_radii)
      .def(py::pickle([](const UnderstoodProblem& problem) { return problem.state(); },
                      [](const py::tuple& state) { return UnderstoodProblem::from_state(state); }));
}

}  // namespace kestral::python
