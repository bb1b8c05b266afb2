// Whole runs, as a user meets them: the shipped dual-wheel example, and a
// single-wheel problem whose points all have different offsets (no layer
// solve can be shared between points).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <streambuf>

#include "driver/run.h"

namespace kestral {
namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

std::filesystem::path prepare_folder(const std::string& name, const std::string& problem) {
  const auto folder = std::filesystem::temp_directory_path() / ("kestral-bench-" + name);
  std::filesystem::create_directories(folder);
  const auto example = std::filesystem::path(KESTRAL_SOURCE_DIR) / "examples" / "dual-wheel";
  std::filesystem::copy_file(example / "gauss.qua", folder / "gauss.qua",
                             std::filesystem::copy_options::overwrite_existing);
  if (problem.empty()) {
    std::filesystem::copy_file(example / "KESTRAL.in", folder / "KESTRAL.in",
                               std::filesystem::copy_options::overwrite_existing);
  } else {
    std::ofstream(folder / "KESTRAL.in") << problem;
  }
  return folder;
}

void run_folder(benchmark::State& state, const std::filesystem::path& folder) {
  NullBuffer sink;
  std::ostream console(&sink);
  std::ostringstream errors;
  const RunFiles files = RunFiles::in_folder(folder);
  for (auto _ : state) {
    if (run_analysis(files, console, errors) != 0) state.SkipWithError("run failed");
  }
}

void BM_ShippedDualWheelExample(benchmark::State& state) {
  run_folder(state, prepare_folder("example", ""));
}

void BM_SingleWheelDistinctOffsets(benchmark::State& state) {
  run_folder(state, prepare_folder("offsets",
                                   "4\n4000 400 200 60\n0.35 0.35 0.35 0.40\n120 200 250\n"
                                   "20000 0.56\n6\n0 0\n0 50\n60 100\n120 155\n300 200\n"
                                   "570 250\n1\n"));
}

BENCHMARK(BM_ShippedDualWheelExample)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SingleWheelDistinctOffsets)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace kestral

BENCHMARK_MAIN();
