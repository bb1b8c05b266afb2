// kestral-analyse's progress line, by the work done rather than the points:
// "kestral-analyse: 120000 of 480000 panels, 40000 panels/s, 0:00:09 left".
// A thread reads the engine's count of work (multilayer::WorkCounter) a few
// times a second while the run goes on and redraws the line; the total is
// the engine's estimate from the points finished, refined as they finish
// (until the first, the line shows the panels done alone). Nothing is drawn
// in the first second, so a quick run shows nothing.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <thread>

#include "analyse/progress_line.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {

inline constexpr std::chrono::milliseconds kWorkProgressDelay{1000};

class WorkProgress {
 public:
  // `out` is null when nothing is to be shown (then no thread is started);
  // `points` is the problem's.
  WorkProgress(std::ostream* out, std::size_t points, std::chrono::milliseconds delay = kWorkProgressDelay);
  ~WorkProgress();
  WorkProgress(const WorkProgress&) = delete;
  WorkProgress& operator=(const WorkProgress&) = delete;

  // The counter the engine is to advance (Options::work), or null.
  multilayer::WorkCounter* counter() { return out_ == nullptr ? nullptr : &counter_; }
  // Stops the thread and erases the line.
  void finish();

 private:
  void watch(std::chrono::milliseconds delay);

  std::ostream* out_;
  std::size_t points_;
  multilayer::WorkCounter counter_;
  ProgressLine line_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread watcher_;
};

}  // namespace kestral::analyse
