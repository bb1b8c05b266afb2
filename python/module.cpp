// kestral._kestral: the compiled half of the Python package kestral. The
// package's Python files give it its keyword interface; everything that reads,
// checks and computes a problem is here, in the code kestral-analyse runs.
#include <pybind11/pybind11.h>

#include "python/bindings.h"

PYBIND11_MODULE(_kestral, module) {
  module.doc() = "The layered-elastic engine of kestral (use the package kestral).";
  module.attr("__version__") = KESTRAL_VERSION;
  kestral::python::bind_problem(module);
  kestral::python::bind_legacy(module);
  kestral::python::bind_backcalc(module);
  kestral::python::bind_result_columns(module);
  kestral::python::bind_file_writer(module);
  kestral::python::bind_design(module);
  kestral::python::bind_analyse_json(module);
}
