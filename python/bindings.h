// The parts of the extension module kestral._kestral, each bound by its own
// file.
#pragma once

#include <functional>

#include <pybind11/pybind11.h>

namespace kestral::python {

void bind_problem(pybind11::module_& module);  // analyse_problem, analyse_file
void bind_legacy(pybind11::module_& module);   // run_legacy
void bind_engine_timing(pybind11::module_& module);  // engine_seconds, for the benchmark
void bind_analyse_json(pybind11::module_& module);   // analyse_json, CancelToken, for the web app

// Runs `work` without the GIL; a problem the reader or the engine refuses
// becomes ValueError with the program's message once the GIL is back.
void without_gil(const std::function<void()>& work);

}  // namespace kestral::python
