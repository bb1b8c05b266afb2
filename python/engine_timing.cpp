// engine_seconds: the engine alone (multilayer::analyse) on a problem as the
// reader reads it, timed in C++, so that the benchmark can tell the
// binding's own cost from the engine's.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
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

// The engine alone on the problem as read (multilayer::analyse, nothing
// else), for the benchmark of the binding's overhead: the best of `repeats`
// runs, as (wall seconds, process CPU seconds). CPU time hardly depends on
// what else the machine runs; wall time does.
std::pair<double, double> engine_seconds(const py::object& problem, const std::string& source,
                                         int repeats, int threads) {
  const nlohmann::json document = json_from_python(problem);
  double best_wall = INFINITY;
  double best_cpu = INFINITY;
  without_gil([&] {
    const Problem read = analyse::read_problem(document, source);
    const std::vector<multilayer::Load> loads = analyse::engine_loads(read);
    multilayer::Options options;
    options.tolerance = read.tolerance;
    options.threads = threads;
    for (int i = 0; i < repeats; ++i) {
      const double cpu_start = process_cpu_seconds();
      const auto start = std::chrono::steady_clock::now();
      const auto rows = multilayer::analyse(read.section, loads, read.points, options);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      const double cpu = process_cpu_seconds() - cpu_start;
      if (rows.empty()) continue;
      best_wall = std::min(best_wall, took.count());
      best_cpu = std::min(best_cpu, cpu);
    }
  });
  return {best_wall, best_cpu};
}

}  // namespace

void bind_engine_timing(py::module_& module) {
  module.def("engine_seconds", &engine_seconds, "problem"_a, "source"_a, "repeats"_a = 5,
             "threads"_a = 1, "Best wall and CPU times of the engine alone on the problem (benchmark).");
}

}  // namespace kestral::python
