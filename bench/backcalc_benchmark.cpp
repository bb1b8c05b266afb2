// kestral-backcalc's speed targets on a 3-layer section, 8 sensors:
//  - one engine evaluation of the bowl (the unit the fit's cost is made of),
//    and one with the slopes by the three moduli (what each step of the fit
//    costs);
//  - the fit of one bowl, median over 200 different bowls on one thread
//    (target: under 20 ms), with the mean number of iterations;
//  - 50, 100, 200 bowls (linear in the number of bowls);
//  - 200 bowls on 1 and 2 threads (target: nearly twice as fast on two).
// Bowls: the engine's own, for moduli spread around the section's, with
// seeds 2 to 3 times off.
//
// On a shared machine the real times measure the load as much as the
// program: the Bowls runs also give the CPU time of the process a bowl
// (the same for 1 and 2 threads when the threads do not get in each other's
// way) and the voluntary context switches a bowl (a thread waiting for a
// lock or for memory the other holds; 0 when they share nothing). Figures
// and the command in docs/backcalculation.md: on a 2-core machine, with
// the session given priority over a load average near 5, a fit took 8.8 ms
// (median, 5.8 iterations, 7.4 engine runs with slopes, 69 million
// instructions), an engine bowl 0.34 to 0.49 ms (4.4 million), the same
// with slopes 1.0 to 1.1 ms (9.4 million); 200 bowls 7.6 ms a bowl on one
// thread, 4.4 on two.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <numbers>
#include <vector>

#include <sys/resource.h>

#include "backcalc/backcalculate.h"
#include "backcalc/bowl_model.h"
#include "backcalc/survey_file.h"

namespace kestral::backcalc {
namespace {

constexpr double kLoad = 40000.0;

Survey base_survey() {
  const nlohmann::json document = nlohmann::json::parse(R"({
    "layers": [
      {"name": "asphalt", "nu": 0.35, "thickness": 150, "E": {"seed": 8000, "min": 500, "max": 30000}},
      {"name": "base", "nu": 0.35, "thickness": 300, "E": {"seed": 120, "min": 30, "max": 3000}},
      {"name": "subgrade", "nu": 0.45, "E": {"seed": 200, "min": 10, "max": 1000}}],
    "plate": {"radius": 150},
    "sensors": [0, 200, 300, 450, 600, 900, 1200, 1500],
    "drops": [{"id": "x", "load": 40000, "deflections": [1, 1, 1, 1, 1, 1, 1, 1]}]})");
  Survey survey = read_survey(document, "bench.json", {});
  survey.drops.clear();
  return survey;
}

std::vector<double> true_moduli(int i) {
  return {3000.0 * (1.0 + 0.3 * std::sin(0.7 * i)), 300.0 * (1.0 + 0.3 * std::sin(1.3 * i + 1.0)),
          80.0 * (1.0 + 0.3 * std::sin(0.37 * i + 2.0))};
}

Survey survey_with(int bowls) {
  Survey survey = base_survey();
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  const double pressure = kLoad / (std::numbers::pi * 150.0 * 150.0);
  for (int i = 0; i < bowls; ++i) {
    Drop drop;
    drop.id = std::to_string(i);
    drop.load = kLoad;
    drop.deflections = model.deflections(true_moduli(i));
    for (double& d : drop.deflections) d *= pressure;
    survey.drops.push_back(drop);
  }
  return survey;
}

double thread_cpu_ms() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

void EngineBowl(benchmark::State& state) {
  const Survey survey = base_survey();
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  for (auto _ : state) benchmark::DoNotOptimize(model.deflections(true_moduli(0)));
}
BENCHMARK(EngineBowl)->Unit(benchmark::kMillisecond);

void EngineBowlWithSlopes(benchmark::State& state) {
  const Survey survey = base_survey();
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  std::vector<std::vector<double>> slopes;
  for (auto _ : state) benchmark::DoNotOptimize(model.deflections_and_slopes(true_moduli(0), {0, 1, 2}, slopes));
}
BENCHMARK(EngineBowlWithSlopes)->Unit(benchmark::kMillisecond);

void FitMedianOf200(benchmark::State& state) {
  const Survey survey = survey_with(200);
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  std::vector<double> ms, cpu_ms;
  double iterations = 0;
  for (auto _ : state) {
    ms.clear();
    cpu_ms.clear();
    iterations = 0;
    for (const Drop& drop : survey.drops) {
      const auto start = std::chrono::steady_clock::now();
      const double cpu_start = thread_cpu_ms();
      const DropFit fit = fit_drop(model, survey, drop);
      cpu_ms.push_back(thread_cpu_ms() - cpu_start);
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      iterations += fit.iterations;
    }
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpu_ms.begin(), cpu_ms.end());
  // Real time on an idle core; the CPU time of the thread when the machine
  // is shared (it then excludes the time other processes took).
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["median_cpu_ms"] = cpu_ms[cpu_ms.size() / 2];
  state.counters["iterations"] = iterations / static_cast<double>(survey.drops.size());
}
BENCHMARK(FitMedianOf200)->Unit(benchmark::kMillisecond)->Iterations(1);

// CPU time of the process (every thread's, ended ones too) and its voluntary
// context switches.
struct ProcessUsage {
  double cpu_ms = 0;
  double waits = 0;
  static ProcessUsage now() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) * 1e-3; };
    return {ms(usage.ru_utime) + ms(usage.ru_stime), static_cast<double>(usage.ru_nvcsw)};
  }
};

void Bowls(benchmark::State& state) {
  const Survey survey = survey_with(static_cast<int>(state.range(0)));
  BackcalcSettings settings;
  settings.threads = static_cast<int>(state.range(1));
  const ProcessUsage before = ProcessUsage::now();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(backcalculate(survey, settings));
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const ProcessUsage after = ProcessUsage::now();
  const double bowls = static_cast<double>(state.range(0)) * static_cast<double>(state.iterations());
  state.counters["per_bowl_ms"] = ms / bowls;
  state.counters["cpu_per_bowl_ms"] = (after.cpu_ms - before.cpu_ms) / bowls;
  state.counters["waits_per_bowl"] = (after.waits - before.waits) / bowls;
}
BENCHMARK(Bowls)->Args({50, 1})->Args({100, 1})->Args({200, 1})->Args({200, 2})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace kestral::backcalc

BENCHMARK_MAIN();
