// The engine on many sections at the same loads and points, as a
// backcalculation, a design search or a Monte Carlo run calls it: every
// iteration a new section (a modulus nudged), so no layer solve is reused.
//  - FWD bowl: 3 layers 3000/300/80 MPa, nu 0.35/0.35/0.45, 150/300 mm,
//    40 kN on a 150 mm plate, 8 surface sensors 0..1500 mm; through plain
//    analyse() and through a PreparedGeometry, at tolerances 1e-4, 1e-6, 1e-8,
//    and with its derivatives by the three moduli;
//  - an 81-point grid (9 depths x 9 offsets to 1500 mm) under one wheel on
//    the bowl's section and on a stiff layer over a soft one.
//
// Where a new-section call spends its time (callgrind, the bowl at 1e-6
// through a PreparedGeometry, warm calls: 1.76 M instructions per call, 357
// Hankel nodes on 17 panels shared by the 8 sensors):
//   layer solves at the nodes   53 %  (2 600 instructions per node: the
//                                      recursion's 4 x 4 interface systems,
//                                      their assembly and the surface)
//   panel sums and kernels      34 %  (Kronrod sums, QUADPACK estimates,
//                                      the kernels of the place, kept
//                                      Bessel factors looked up)
//   near-surface closed form     7 %
//   allocation, node store       5 %  (one map entry and vector per panel)
//   validation, scaling        < 1 %
// The first call of a geometry adds 1.0 M (the Bessel factors it keeps for
// the next calls) and about 50 page faults; plain analyse() costs 3.48 M
// (each sensor follows its own panel width, and computes its Bessel
// factors), its first call the same. At 1e-4 1.55 M, at 1e-8 3.44 M (panels
// twice as wide from 1e-6 on). Displacements only: 1.47 M at 1e-6, 1.25 M
// at 1e-4. The derivatives by the three moduli: 3.38 M, 1.92 times the bowl
// (the recursion differentiated with its kept factors, the derivative
// kernels kept per place like the values'). The 81-point grid at 1e-8:
// 0.148 M per point on the 3-layer section, 0.144 M on the stiff one.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "multilayer/analysis.h"

namespace kestral {
namespace {

using multilayer::Layer;
using multilayer::Load;
using multilayer::Point;
using multilayer::Section;

Section bowl_section(double nudge) {
  return Section{{Layer{3000.0 * (1.0 + nudge), 0.35, 150}, Layer{300, 0.35, 300}, Layer{80, 0.45, 0}}};
}

Section stiff_over_soft(double nudge) {
  return Section{{Layer{30000.0 * (1.0 + nudge), 0.2, 250}, Layer{50, 0.45, 0}}};
}

std::vector<Load> plate() { return {Load{0, 0, 150, 40000 / (std::numbers::pi * 150 * 150)}}; }

std::vector<Point> sensors() {
  std::vector<Point> points;
  for (double r : {0.0, 200.0, 300.0, 450.0, 600.0, 900.0, 1200.0, 1500.0}) points.push_back({r, 0, 0});
  return points;
}

std::vector<Point> grid81() {
  std::vector<Point> points;
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 9; ++j) points.push_back({1500.0 * j / 8.0, 0, 100.0 * i});
  return points;
}

multilayer::Options at(double tolerance) {
  multilayer::Options options;
  options.tolerance = tolerance;
  return options;
}

// A new modulus every iteration, cycling over 1000 values 0.01 % apart.
double nudge(std::int64_t i) { return 1e-4 * static_cast<double>(i % 1000); }

void BM_BowlPlain(benchmark::State& state) {
  const auto options = at(std::pow(10.0, -static_cast<double>(state.range(0))));
  std::int64_t i = 0;
  for (auto _ : state) {
    auto rows = multilayer::analyse(bowl_section(nudge(i++)), plate(), sensors(), options);
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_BowlPlain)->Arg(4)->Arg(6)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_BowlPrepared(benchmark::State& state) {
  const multilayer::PreparedGeometry prepared(plate(), sensors(), at(std::pow(10.0, -static_cast<double>(state.range(0)))));
  std::int64_t i = 0;
  for (auto _ : state) {
    auto rows = prepared.analyse(bowl_section(nudge(i++)));
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_BowlPrepared)->Arg(4)->Arg(6)->Arg(8)->Unit(benchmark::kMicrosecond);

// The bowl asking for displacements only (Options::quantities).
void BM_BowlDeflectionOnly(benchmark::State& state) {
  auto options = at(std::pow(10.0, -static_cast<double>(state.range(0))));
  options.quantities = {false, true, false};
  const multilayer::PreparedGeometry prepared(plate(), sensors(), options);
  std::int64_t i = 0;
  for (auto _ : state) {
    auto rows = prepared.analyse(bowl_section(nudge(i++)));
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_BowlDeflectionOnly)->Arg(4)->Arg(6)->Arg(8)->Unit(benchmark::kMicrosecond);

// The bowl and its derivatives by the three moduli (compare with
// BM_BowlPrepared at the same tolerance).
void BM_BowlDerivatives(benchmark::State& state) {
  const multilayer::PreparedGeometry prepared(plate(), sensors(), at(std::pow(10.0, -static_cast<double>(state.range(0)))));
  std::int64_t i = 0;
  for (auto _ : state) {
    auto result = prepared.analyse_with_derivatives(bowl_section(nudge(i++)));
    benchmark::DoNotOptimize(result.rows.data());
  }
}
BENCHMARK(BM_BowlDerivatives)->Arg(6)->Unit(benchmark::kMicrosecond);

// Per point: the time per point is 1 / items_per_second.
void BM_Grid81(benchmark::State& state) {
  const bool stiff = state.range(0) == 1;
  const multilayer::PreparedGeometry prepared(plate(), grid81());
  std::int64_t i = 0;
  for (auto _ : state) {
    auto rows = prepared.analyse(stiff ? stiff_over_soft(nudge(i)) : bowl_section(nudge(i)));
    ++i;
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * 81);  // points: 1 / items_per_second is the time per point
}
BENCHMARK(BM_Grid81)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestral

BENCHMARK_MAIN();
