// _kestral_timing, an extension for the benchmark only (built beside the
// package, never installed): engine_seconds, the C++ side of a problem timed
// in C++, so that the benchmark can tell the binding's own cost from the C++
// library's:
//   "engine":  multilayer::analyse on the problem as read, nothing else;
//   "library": what kestral-analyse does with a parsed problem file
//              (read_problem, the engine, the table), without its output;
//   "read":    read_problem alone (the checks and the echo).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analyse/problem_file.h"
#include "analyse/run_problem.h"
#include "python/bindings.h"
#include "python/json_value.h"

namespace kestral::python {
namespace py = pybind11;
using namespace pybind11::literals;
using analyse::Problem;

namespace {

double process_cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The best of `repeats` runs of `work`, as (wall seconds, process CPU
// seconds). CPU time hardly depends on what else the machine runs; wall
// time does.
std::pair<double, double> best_of(int repeats, const std::function<void()>& work) {
  double best_wall = INFINITY;
  double best_cpu = INFINITY;
  for (int i = 0; i < repeats; ++i) {
    const double cpu_start = process_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best_cpu = std::min(best_cpu, process_cpu_seconds() - cpu_start);
    best_wall = std::min(best_wall, took.count());
  }
  return {best_wall, best_cpu};
}

std::pair<double, double> engine_seconds(const py::object& problem, const std::string& source,
                                         int repeats, int threads, const std::string& what) {
  if (what != "engine" && what != "library" && what != "read")
    throw py::value_error("what is \"engine\", \"library\" or \"read\", not \"" + what + "\"");
  const nlohmann::json document = json_from_python(problem);
  std::pair<double, double> best;
  without_gil([&](const std::atomic<bool>&) {
    const Problem read = analyse::read_problem(document, source);
    analyse::RunSettings settings;
    settings.threads = threads;
    if (what == "read") {
      best = best_of(repeats, [&] {
        if (analyse::read_problem(document, source).points.empty()) throw std::logic_error("no points");
      });
      return;
    }
    if (what == "library") {
      best = best_of(repeats, [&] {
        const Problem again = analyse::read_problem(document, source);
        if (analyse::analyse_to_table(again, settings).rows == 0) throw std::logic_error("no rows");
      });
      return;
    }
    const std::vector<multilayer::Load> loads = analyse::engine_loads(read);
    multilayer::Options options;
    options.tolerance = read.tolerance;
    options.threads = threads;
    best = best_of(repeats, [&] {
      if (multilayer::analyse(read.section, loads, read.points, options).empty())
        throw std::logic_error("no rows");
    });
  });
  return best;
}

}  // namespace
}  // namespace kestral::python

PYBIND11_MODULE(_kestral_timing, module) {
  using kestral::python::engine_seconds;
  using namespace pybind11::literals;
  module.doc() = "Timings of kestral's C++ library, for bench/python_benchmark.py.";
  module.def("engine_seconds", &engine_seconds, "problem"_a, "source"_a, "repeats"_a = 5,
             "threads"_a = 1, "what"_a = "engine",
             "Best wall and CPU times of the engine alone (\"engine\"), of reading and "
             "analysing as kestral-analyse does (\"library\") or of reading alone (\"read\") "
             "on the problem (benchmark).");
}
