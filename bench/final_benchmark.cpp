// Cost of one point: FINAL at the surface (the passes run to m = 150, a few
// thousand layer solves) and at depth (the passes stop at zeta m = 7), each
// with no layer constants solved before it.
#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>

#include "hankel/final.h"
#include "layered/constants_store.h"

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
  GaussNodeTable x{};
  GaussNodeTable w{};
  GaussOrderTable N{10, 10, 10, 0, 0};

  Section() {
    const float half_x[5] = {-0.9739065285f, -0.8650633667f, -0.6794095683f, -0.4333953941f,
                             -0.1488743390f};
    const float half_w[5] = {0.0666713443f, 0.1494513492f, 0.2190863625f, 0.2692667193f,
                             0.2955242247f};
    for (int rule = 0; rule < 3; ++rule) {
      for (int j = 0; j < 5; ++j) {
        x[rule * 10 + j] = half_x[j];
        w[rule * 10 + j] = half_w[j];
        x[rule * 10 + 9 - j] = -half_x[j];
        w[rule * 10 + 9 - j] = half_w[j];
      }
    }
  }
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
    FINAL(Z, R, L, s.n, s.E, s.Mu, s.H, s.a, s.q, s.x, s.w, s.N, kBondedInterfaces, K, results,
          console, store);
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
