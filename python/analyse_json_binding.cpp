// analyse_json: the text of `kestral-analyse --format json` for a problem
// given as its JSON text, through the program's own reader, engine run and
// JSON writer, so that a web request gets the program's bits and messages.
// A CancelToken lets another thread follow the run's progress and stop it.
#include <atomic>
#include <cstddef>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include <pybind11/pybind11.h>

#include "analyse/csv_writer.h"
#include "analyse/json_document.h"
#include "analyse/json_writer.h"
#include "analyse/problem_file.h"
#include "analyse/run_problem.h"  // and multilayer::Cancelled
#include "python/bindings.h"
#include "python/cancel_token.h"

namespace kestral::python {
namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// The engine's work of a problem, in point-load-layer evaluations.
double work_of(const analyse::Problem& problem) {
  return static_cast<double>(problem.points.size()) * static_cast<double>(problem.loads.size()) *
         static_cast<double>(problem.section.layers.size());
}

std::string work_limit_message(const analyse::Problem& problem, double limit) {
  std::ostringstream text;
  text << problem.source << ": points: " << problem.points.size() << " points x "
       << problem.loads.size() << " loads x " << problem.section.layers.size() << " layers is "
       << static_cast<unsigned long long>(work_of(problem)) << ", more work than the limit of "
       << static_cast<unsigned long long>(limit) << "; ask for fewer points";
  return text.str();
}

// The JSON text of the results, and their CSV text when `with_csv`.
std::pair<std::string, std::string> analyse_texts(const std::string& text, const std::string& source,
                                                  int threads, CancelToken* token, double max_work,
                                                  bool with_csv) {
  if (threads < 0) throw py::value_error("threads is " + std::to_string(threads) + ", must be 0 (one per core) or more");
  std::string output;
  std::string csv;
  std::optional<std::string> too_much;
  bool cancelled = false;
  without_gil([&](const std::atomic<bool>& interrupted) {
    analyse::Problem problem = analyse::read_problem(analyse::parse_json_text(text, source), source);
    if (max_work > 0 && work_of(problem) > max_work) {
      too_much = work_limit_message(problem, max_work);
      return;
    }
    analyse::RunSettings settings;
    settings.threads = threads;
    // Ctrl-C in the calling thread (when it is Python's main thread) raises
    // `interrupted`; with a token, the engine watches the token instead and
    // an interruption reaches it after the next block of points.
    settings.cancel = &interrupted;
    if (token != nullptr) {
      token->set_progress(0, problem.points.size());
      settings.cancel = token->flag();
      settings.progress = [token, &interrupted](std::size_t done, std::size_t total) {
        token->set_progress(done, total);
        if (interrupted.load()) token->cancel();
      };
    }
    try {
      const analyse::ResultTable table = analyse::analyse_to_table(problem, settings);
      std::ostringstream out;
      analyse::write_json(problem.echo, table, out);
      output = std::move(out).str();
      if (with_csv) {
        std::ostringstream table_csv;
        // The download is the table kestral-analyse prints by default.
        analyse::write_csv(table, table_csv, analyse::TableDigits{analyse::TableDigits::Mode::kEstimate});
        csv = std::move(table_csv).str();
      }
    } catch (const multilayer::Cancelled&) {
      cancelled = true;
    }
  });
  if (too_much) throw py::value_error(*too_much);
  if (cancelled) throw multilayer::Cancelled();
  return {std::move(output), std::move(csv)};
}

py::str analyse_json(const std::string& text, const std::string& source, int threads,
                     CancelToken* token, double max_work) {
  return py::str(analyse_texts(text, source, threads, token, max_work, false).first);
}

py::tuple analyse_json_csv(const std::string& text, const std::string& source, int threads,
                           CancelToken* token, double max_work) {
  auto [json, csv] = analyse_texts(text, source, threads, token, max_work, true);
  return py::make_tuple(py::str(json), py::str(csv));
}

}  // namespace

void bind_analyse_json(py::module_& module) {
  py::register_exception<multilayer::Cancelled>(module, "AnalysisCancelled", PyExc_RuntimeError);
  py::class_<CancelToken>(module, "CancelToken",
                          "Follows an analysis of analyse_json from another thread and stops it.")
      .def(py::init<>())
      .def("cancel", &CancelToken::cancel, "Stops the analysis within one block of rows.")
      .def_property_readonly("cancelled", &CancelToken::cancelled)
      .def_property_readonly("done", &CancelToken::done, "Points computed so far.")
      .def_property_readonly("total", &CancelToken::total, "Points of the problem (0 until it is read).")
      .def("set_progress", &CancelToken::set_progress, "done"_a, "total"_a,
           "Sets the work done of the total, for work made of several runs.");
  module.def("analyse_json", &analyse_json, "text"_a, "source"_a = "problem", "threads"_a = 1,
             "token"_a = nullptr, "max_work"_a = 0.0,
             "The text kestral-analyse --format json writes for the problem file text `text`; "
             "mistakes raise ValueError with the program's message (after `source`), a problem "
             "of more than max_work points x loads x layers (when above 0) is refused, and a "
             "cancelled run raises AnalysisCancelled.");
  module.def("analyse_json_csv", &analyse_json_csv, "text"_a, "source"_a = "problem", "threads"_a = 1,
             "token"_a = nullptr, "max_work"_a = 0.0,
             "As analyse_json, and the CSV table kestral-analyse writes: (json_text, csv_text).");
}

}  // namespace kestral::python
