// Cost of one point: FINAL at the surface (the passes run to m = 150, a few
// thousand layer solves) and at depth (the passes stop at zeta m = 7), each
// with no layer constants solved before it.
#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>

#include "hankel/final.h"
#include "layered/constants_store.h"
#include "tests/support/gauss_rules.h"

namespace kestral {
namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

struct Section {
  int n = 4;
  LayerTable E{4000, 400, 200, 60};
  LayerTable Mu{0.35f, 0.35f, 0.35f, 0.40f};
  LayerTable H{120, 200, 250};
  float a = 106.6255f;
  float q = 0.56f;
  testing::RuleTables rules = testing::ten_point_rule_tables();
};

void run_point(benchmark::State& state, float Z, float R, int L) {
  Section s;
  ResultTable results;
  NullBuffer sink;
  std::ostream console(&sink);
  const int K = 1;
  ConstantsStore store;
  for (auto _ : state) {
    // A point of its own: no constants solved before it.
    store.forget();
    FINAL(Z, R, L, s.n, s.E, s.Mu, s.H, s.a, s.q, s.rules.x, s.rules.w, s.rules.N,
          kBondedInterfaces, K, results, console, store);
    benchmark::DoNotOptimize(results.cells.data());
  }
}

void BM_FinalSurfaceOnAxis(benchmark::State& state) { run_point(state, 0.0f, 0.0f, 1); }
void BM_FinalSurfaceOffAxis(benchmark::State& state) { run_point(state, 0.0f, 155.0f, 1); }
void BM_FinalBottomOfAsphalt(benchmark::State& state) { run_point(state, 120.0f, 0.0f, 1); }
void BM_FinalTopOfSubgrade(benchmark::State& state) { run_point(state, 570.0f, 155.0f, 4); }

BENCHMARK(BM_FinalSurfaceOnAxis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinalSurfaceOffAxis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinalBottomOfAsphalt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinalTopOfSubgrade)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestral

BENCHMARK_MAIN();
