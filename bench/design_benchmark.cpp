// The design check's targets, on the section of examples/design/section.json
// (three layers, a dual-wheel single axle and a dual-wheel tandem, asphalt
// fatigue and subgrade rutting, two seasons):
//  - one design check, on one core (target: under 50 ms);
//  - the thickness search of the asphalt to 1 mm, on one core (under 0.5 s);
//  - 1000 checks of sampled sections (moduli log-normal, CoV 0.2; asphalt
//    thickness normal, SD 10 mm) on two threads, the work of a 1000-sample
//    reliability run (under 60 s on two cores).
// CPU time is the figure to read on a busy machine; real time on an idle one;
// instruction counts steadier than either:
//   valgrind --tool=callgrind build/release/bench/design_benchmark
//       --benchmark_filter=DesignCheck --benchmark_min_time=0.01
//
// Where the time goes (callgrind, one check of the example, inclusive):
//   before: 1085 M instructions. The radial profiles 63 % (8 of them: one per
//   criterion, axle group and season, 93 to 162 radii each, through a
//   PreparedGeometry whose first call integrates every radius on the
//   narrowest panels any radius needs: six times a plain run's time, the
//   second season's call no faster than a plain run); the exact values 28 % (8 runs of 6 candidates x 5
//   points x every tyre); the interpolated map 9 %. Across the engine:
//   point Bessel factors 33 %, layer solves at the Hankel nodes 23 %.
//   now: 536 M. One plain engine run of strains alone for the profiles of
//   every criterion under an axle group in a season (61 %), radii an eighth
//   of the field's scale apart; one run for the exact values of the
//   contending maxima only (34 %); the map at a quarter of the field's
//   scale (5 %). Across the engine: layer solves 49 %, point Bessel factors
//   25 %. Most of the rest cannot go from here: each run solves the layers
//   at the nodes its farthest radius needs (a tyre 2 to 3 m away), and the
//   exact run solves again nodes the profile run of the same section solved
//   (the engine keeps no layer solves from one run to the next).
//   The thickness search is 4 checks (9 before), 1642 M instructions; a
//   reliability sample is one check.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "design/design_check.h"
#include "design/problem_reader.h"
#include "design/thickness_search.h"

namespace kestral::design {
namespace {

DesignProblem example() { return read_design_file(KESTRAL_SOURCE_DIR "/examples/design/section.json"); }

void DesignCheck(benchmark::State& state) {
  const DesignProblem problem = example();
  for (auto _ : state) {
    CheckResult result = check_design(problem);
    benchmark::DoNotOptimize(result.criteria.data());
  }
}
BENCHMARK(DesignCheck)->Unit(benchmark::kMillisecond);

void ThicknessSearch(benchmark::State& state) {
  const DesignProblem problem = example();
  std::size_t checks = 0;
  for (auto _ : state) {
    ThicknessResult result = search_thickness(problem);
    checks = result.trials.size();
    benchmark::DoNotOptimize(result.value);
  }
  state.counters["checks"] = static_cast<double>(checks);
}
BENCHMARK(ThicknessSearch)->Unit(benchmark::kMillisecond);

// The sampled sections, drawn once in one stream.
std::vector<multilayer::Section> samples(const DesignProblem& problem, std::size_t count) {
  std::mt19937_64 generator(0);
  std::normal_distribution<double> normal;
  const double sigma = std::sqrt(std::log1p(0.2 * 0.2));
  std::vector<multilayer::Section> sections;
  for (std::size_t k = 0; k < count; ++k) {
    multilayer::Section section = problem.base.section;
    for (auto& layer : section.layers) layer.modulus *= std::exp(-0.5 * sigma * sigma + sigma * normal(generator));
    section.layers[0].thickness = std::max(15.0, 150.0 + 10.0 * normal(generator));
    sections.push_back(section);
  }
  return sections;
}

void Reliability1000(benchmark::State& state) {
  DesignProblem problem = example();
  const std::vector<multilayer::Section> sections = samples(problem, 1000);
  for (auto _ : state) {
    std::atomic<std::size_t> next{0}, passes{0};
    const auto worker = [&] {
      for (std::size_t k = next++; k < sections.size(); k = next++) {
        // The seasons scale the sampled moduli as the Python sampler does.
        DesignProblem sample = problem;
        for (Season& season : sample.seasons) {
          for (std::size_t j = 0; j < season.moduli.size(); ++j) {
            season.moduli[j] *= sections[k].layers[j].modulus / problem.base.section.layers[j].modulus;
          }
        }
        if (check_design(sample, sections[k]).pass) ++passes;
      }
    };
    std::thread other(worker);
    worker();
    other.join();
    state.counters["passes"] = static_cast<double>(passes.load());
  }
}
BENCHMARK(Reliability1000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace kestral::design

BENCHMARK_MAIN();
