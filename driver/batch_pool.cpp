#include "driver/batch_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "driver/batch_csv.h"
#include "driver/batch_folder_run.h"
#include "driver/text_lines.h"

namespace kestral {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The distinct folders of the arguments: two spellings of one folder ("a",
// "./a/") are one run.
struct DistinctRuns {
  std::vector<std::size_t> run_of;  // per argument
  std::vector<std::string> folders;  // per run, the first spelling
};

DistinctRuns distinct_runs(const std::vector<std::string>& arguments) {
  DistinctRuns runs;
  std::map<std::filesystem::path, std::size_t> run_of_identity;
  for (const std::string& argument : arguments) {
    std::error_code error;
    const std::filesystem::path identity = std::filesystem::canonical(argument, error);
    if (!error) {
      const auto [found, added] = run_of_identity.emplace(identity, runs.folders.size());
      if (!added) {
        runs.run_of.push_back(found->second);
        continue;
      }
    }
    runs.run_of.push_back(runs.folders.size());
    runs.folders.push_back(argument);
  }
  return runs;
}

}  // namespace

BatchSummary run_batch(const BatchOptions& options, std::ostream& csv, std::ostream& errors,
                       std::ostream* progress) {
  const Clock::time_point start = Clock::now();
  const std::size_t total = options.folders.size();
  const DistinctRuns distinct = distinct_runs(options.folders);
  const std::size_t runs = distinct.folders.size();

  // Workers fill outcomes[run] and then mark it finished under the lock;
  // an outcome is never touched again, so the writer reads it unlocked.
  std::vector<FolderOutcome> outcomes(runs);
  std::vector<char> finished(runs, 0);
  int runs_done = 0;
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<std::size_t> next_run{0};
  const auto work = [&] {
    for (;;) {
      const std::size_t run = next_run.fetch_add(1);
      if (run >= runs) return;
      FolderOutcome outcome = run_folder(distinct.folders[run], options);
      {
        const std::lock_guard lock(mutex);
        outcomes[run] = std::move(outcome);
        finished[run] = 1;
        ++runs_done;
      }
      changed.notify_one();
    }
  };

  std::vector<std::thread> pool;
  const std::size_t threads = std::min(static_cast<std::size_t>(options.jobs), runs);
  try {
    for (std::size_t t = 0; t < threads; ++t) pool.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer threads than asked for: the ones started take every folder.
  }
  if (pool.empty()) work();

  csv << csv_header() << '\n';
  BatchSummary summary;
  summary.folders = static_cast<int>(runs);
  std::vector<char> counted(runs, 0);
  bool drawn = false;
  Clock::time_point last_drawn = start;
  std::size_t next = 0;
  std::unique_lock lock(mutex);
  while (next < total) {
    changed.wait_for(lock, std::chrono::milliseconds(100),
                     [&] { return finished[distinct.run_of[next]] != 0; });
    std::size_t ready = next;
    while (ready < total && finished[distinct.run_of[ready]] != 0) ++ready;
    const int done = runs_done;
    lock.unlock();

    // Write the folders whose turn has come, in argument order.
    std::string messages;
    for (; next < ready; ++next) {
      const std::string& folder = options.folders[next];
      const std::size_t run = distinct.run_of[next];
      const FolderOutcome& outcome = outcomes[run];
      const std::string field = csv_field(folder);
      for_each_line(outcome.csv_rows, [&](std::string_view line) { csv << field << line << '\n'; });
      messages += prefixed_lines(folder, outcome.diagnostics);
      summary.rows += outcome.rows;
      if (counted[run] == 0 && outcome.failed) ++summary.failed;
      counted[run] = 1;
    }
    if (!messages.empty()) {
      if (progress != nullptr && drawn) *progress << kEraseLine;
      errors << messages << std::flush;
      drawn = false;
    }
    const Clock::time_point now = Clock::now();
    if (progress != nullptr &&
        (!drawn || now - last_drawn >= std::chrono::milliseconds(100) || next == total)) {
      *progress << '\r'
                << batch_progress_line(done, static_cast<int>(runs), seconds_since(start))
                << "\033[K" << std::flush;
      drawn = true;
      last_drawn = now;
    }
    lock.lock();
  }
  lock.unlock();
  for (std::thread& thread : pool) thread.join();
  if (progress != nullptr && drawn) *progress << kEraseLine << std::flush;
  summary.seconds = seconds_since(start);
  return summary;
}

}  // namespace kestral
