// The parts of the extension module kestral._kestral, each bound by its own
// file.
#pragma once

#include <pybind11/pybind11.h>

namespace kestral::python {

void bind_problem(pybind11::module_& module);  // analyse_problem, analyse_file
void bind_legacy(pybind11::module_& module);   // run_legacy

}  // namespace kestral::python
