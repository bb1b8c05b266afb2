// The parts of the extension module kestral._kestral, each bound by its own
// file.
#pragma once

#include <atomic>
#include <functional>

#include <pybind11/pybind11.h>

namespace kestral::python {

void bind_problem(pybind11::module_& module);  // analyse_document, analyse_file
void bind_legacy(pybind11::module_& module);   // run_legacy
void bind_backcalc(pybind11::module_& module);  // backcalculate, backcalculate_file, backcalculate_json
void bind_result_columns(pybind11::module_& module);  // result_columns, MAX_PROBLEM_POINTS
void bind_file_writer(pybind11::module_& module);    // write_file
void bind_design(pybind11::module_& module);  // design_json, design_check
void bind_analyse_json(pybind11::module_& module);    // analyse_json, CancelToken, for the web app

// Runs `work` without the GIL. Called from Python's main thread, the work
// runs on a worker thread while this one answers signals: on Ctrl-C,
// `cancel` is raised, the work is awaited (the engine stops within a block)
// and KeyboardInterrupt raised. A problem the reader or the engine refuses
// becomes ValueError with the program's message once the GIL is back.
void without_gil(const std::function<void(const std::atomic<bool>& cancel)>& work);

}  // namespace kestral::python
