// The problem as the reader understood it (defaults filled in, in the
// problem's units), held in C++ and turned into Python values only when
// asked: a table of a million rows need not carry a million point dicts.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <pybind11/pybind11.h>

#include "analyse/problem.h"

namespace kestral::python {

class UnderstoodProblem {
 public:
  UnderstoodProblem() = default;
  // Takes the problem's echo over (the problem keeps the rest).
  explicit UnderstoodProblem(analyse::Problem&& problem);

  pybind11::object to_dict() const;
  // The contact radius of each load, in the problem's unit of length.
  const std::vector<double>& load_radii() const { return load_radii_; }

  // Pickled as the echo's JSON text and the radii, for Dask.
  pybind11::tuple state() const;
  static UnderstoodProblem from_state(const pybind11::tuple& state);

 private:
  nlohmann::ordered_json echo_;
  std::vector<double> load_radii_;
};

void bind_understood_problem(pybind11::module_& module);

}  // namespace kestral::python
