// The general engine against the legacy FINAL, in one run on one machine:
//  - per point and load, a cold point (no node solved before it) on the
//    sections and points of final_benchmark.cpp, beside FINAL on the same;
//  - per point and load in a profile of 64 points at one depth, the engine's
//    and FINAL's (each keeping what it solved from point to point, as in a
//    run): the cost per point and load of a run;
//  - per point and load in a map of many points (nodes shared);
//  - 12 500 to 100 000 points under 8 loads (time and peak memory per point:
//    linear in the points);
//  - threads 1 and 2 on the same problem (compare real time; the CPU time
//    shows how busy the machine was).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <ostream>
#include <streambuf>
#include <vector>

#include "hankel/final.h"
#include "layered/abcd.h"
#include "layered/constants_store.h"
#include "multilayer/analysis.h"
#include "tests/support/gauss_rules.h"

namespace kestral {
namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

// The section of final_benchmark.cpp.
struct LegacySection {
  int n = 4;
  LayerTable E{4000, 400, 200, 60};
  LayerTable Mu{0.35f, 0.35f, 0.35f, 0.40f};
  LayerTable H{120, 200, 250};
  float a = 106.6255f;
  float q = 0.56f;
  testing::RuleTables rules = testing::ten_point_rule_tables();
};

multilayer::Section engine_section() {
  const LegacySection s;
  multilayer::Section section;
  for (int i = 0; i < s.n; ++i) {
    section.layers.push_back(multilayer::Layer{s.E[static_cast<std::size_t>(i)], s.Mu[static_cast<std::size_t>(i)],
                                               i + 1 < s.n ? s.H[static_cast<std::size_t>(i)] : 0.0f});
  }
  return section;
}

void legacy_point(benchmark::State& state, float Z, float R, int L) {
  LegacySection s;
  ResultTable results;
  NullBuffer sink;
  std::ostream console(&sink);
  ConstantsStore store;
  for (auto _ : state) {
    store.forget();  // a cold point, as the engine's: nothing solved before it
    FINAL(Z, R, L, s.n, s.E, s.Mu, s.H, s.a, s.q, s.rules.x, s.rules.w, s.rules.N, kBondedInterfaces, 1, results, console,
          store);
    benchmark::DoNotOptimize(results.cells.data());
  }
}

void engine_point(benchmark::State& state, double Z, double R, multilayer::Side side) {
  const multilayer::Section section = engine_section();
  const LegacySection s;
  const std::vector<multilayer::Load> loads{{0, 0, s.a, s.q}};
  const std::vector<multilayer::Point> points{{R, 0, Z, side}};
  for (auto _ : state) {
    // A problem of its own: no node solved before it.
    auto rows = multilayer::analyse(section, loads, points);
    benchmark::DoNotOptimize(rows.data());
  }
}

using multilayer::Side;
void BM_LegacySurfaceOnAxis(benchmark::State& st) { legacy_point(st, 0.0f, 0.0f, 1); }
void BM_EngineSurfaceOnAxis(benchmark::State& st) { engine_point(st, 0.0, 0.0, Side::both); }
void BM_LegacySurfaceOffAxis(benchmark::State& st) { legacy_point(st, 0.0f, 155.0f, 1); }
void BM_EngineSurfaceOffAxis(benchmark::State& st) { engine_point(st, 0.0, 155.0, Side::both); }
void BM_LegacyBottomOfAsphalt(benchmark::State& st) { legacy_point(st, 120.0f, 0.0f, 1); }
void BM_EngineBottomOfAsphalt(benchmark::State& st) { engine_point(st, 120.0, 0.0, Side::above); }
void BM_LegacyTopOfSubgrade(benchmark::State& st) { legacy_point(st, 570.0f, 155.0f, 4); }
void BM_EngineTopOfSubgrade(benchmark::State& st) { engine_point(st, 570.0, 155.0, Side::below); }

// The same depths in a profile of 64 points (offsets 0 to 315 mm): the cost
// per point once the nodes are shared, as in any run of many points.
void engine_profile(benchmark::State& state, double Z, double R, multilayer::Side side) {
  const multilayer::Section section = engine_section();
  const LegacySection s;
  const std::vector<multilayer::Load> loads{{0, 0, s.a, s.q}};
  std::vector<multilayer::Point> points;
  for (int i = 0; i < 64; ++i) points.push_back({R + 5.0 * i, 0, Z, side});
  for (auto _ : state) {
    auto rows = multilayer::analyse(section, loads, points);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * 64);
}

// FINAL on the same 64 points, its store of solved constants kept from point
// to point as a run keeps it (a point meets the constants of another only at
// the same offset, so the store saves little here): the legacy cost per point
// of a run, beside the engine's.
void legacy_profile(benchmark::State& state, float Z, float R, int L) {
  LegacySection s;
  ResultTable results;
  NullBuffer sink;
  std::ostream console(&sink);
  ConstantsStore store;
  for (auto _ : state) {
    store.forget();
    for (int i = 0; i < 64; ++i) {
      FINAL(Z, R + 5.0f * static_cast<float>(i), L, s.n, s.E, s.Mu, s.H, s.a, s.q, s.rules.x, s.rules.w, s.rules.N, kBondedInterfaces,
            1, results, console, store);
      benchmark::DoNotOptimize(results.cells.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * 64);
}

void BM_LegacyProfileSurfaceOnAxis(benchmark::State& st) { legacy_profile(st, 0.0f, 0.0f, 1); }
void BM_LegacyProfileSurfaceOffAxis(benchmark::State& st) { legacy_profile(st, 0.0f, 155.0f, 1); }
void BM_LegacyProfileBottomOfAsphalt(benchmark::State& st) { legacy_profile(st, 120.0f, 0.0f, 1); }
void BM_LegacyProfileTopOfSubgrade(benchmark::State& st) { legacy_profile(st, 570.0f, 155.0f, 4); }
BENCHMARK(BM_LegacyProfileSurfaceOnAxis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LegacyProfileSurfaceOffAxis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LegacyProfileBottomOfAsphalt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LegacyProfileTopOfSubgrade)->Unit(benchmark::kMillisecond);

void BM_EngineProfileSurfaceOnAxis(benchmark::State& st) { engine_profile(st, 0.0, 0.0, Side::both); }
void BM_EngineProfileSurfaceOffAxis(benchmark::State& st) { engine_profile(st, 0.0, 155.0, Side::both); }
void BM_EngineProfileBottomOfAsphalt(benchmark::State& st) { engine_profile(st, 120.0, 0.0, Side::above); }
void BM_EngineProfileTopOfSubgrade(benchmark::State& st) { engine_profile(st, 570.0, 155.0, Side::below); }
BENCHMARK(BM_EngineProfileSurfaceOnAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineProfileSurfaceOffAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineProfileBottomOfAsphalt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineProfileTopOfSubgrade)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_LegacySurfaceOnAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineSurfaceOnAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LegacySurfaceOffAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineSurfaceOffAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LegacyBottomOfAsphalt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineBottomOfAsphalt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LegacyTopOfSubgrade)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineTopOfSubgrade)->Unit(benchmark::kMicrosecond);

// A tandem of dual wheels (8 loads) and a grid of points under it, from the
// surface to the subgrade.
std::vector<multilayer::Load> eight_loads() {
  std::vector<multilayer::Load> loads;
  for (double x : {0.0, 1300.0})
    for (double y : {-1000.0, -690.0, 690.0, 1000.0}) loads.push_back(multilayer::Load::from_force(x, y, 20000, 0.56));
  return loads;
}

std::vector<multilayer::Point> grid(std::size_t count) {
  std::vector<multilayer::Point> points;
  const double depths[] = {0.0, 60.0, 120.0, 320.0, 570.0, 900.0};
  for (std::size_t i = 0; i < count; ++i) {
    const double x = -500.0 + static_cast<double>(i % 97) * 25.0;
    const double y = -1200.0 + static_cast<double>((i / 97) % 101) * 24.0;
    points.push_back({x, y, depths[i % 6], Side::below});
  }
  return points;
}

void BM_EngineMapPerPointAndLoad(benchmark::State& state) {
  const auto section = engine_section();
  const auto loads = eight_loads();
  const auto points = grid(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto rows = multilayer::analyse(section, loads, points);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 8);  // point-load pairs
}
BENCHMARK(BM_EngineMapPerPointAndLoad)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_EngineScaling(benchmark::State& state) {
  const auto section = engine_section();
  const auto loads = eight_loads();
  const auto points = grid(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto rows = multilayer::analyse(section, loads, points);
    benchmark::DoNotOptimize(rows.data());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["per_point_us"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}
BENCHMARK(BM_EngineScaling)->Arg(12500)->Arg(25000)->Arg(50000)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_EngineThreads(benchmark::State& state) {
  const auto section = engine_section();
  const auto loads = eight_loads();
  const auto points = grid(4000);
  multilayer::Options options;
  options.threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto rows = multilayer::analyse(section, loads, points, options);
    benchmark::DoNotOptimize(rows.data());
  }
}
// Real time, and the CPU time of the whole process (all workers): on a quiet
// machine the speed-up is the real-time ratio; on a busy one the CPU time
// shows whether the threads added work (they share nothing but the input).
BENCHMARK(BM_EngineThreads)->Arg(1)->Arg(2)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestral

BENCHMARK_MAIN();
