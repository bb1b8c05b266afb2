// The progress line of a long run: "kestral-backcalc: 120 of 500 drops,
// 41 drops/s, 0:00:09 left" (kestral-analyse counts its work in panels:
// work_progress.h), redrawn in place on standard error while the work goes
// on, erased at the end. Shown only when standard error is a terminal and
// the run has more than a minimum of items; a pipe or a file never gets any
// of it.
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace kestral::analyse {

inline constexpr std::size_t kProgressMinPoints = 5000;

// Whose progress, of what: kestral-backcalc counts drops.
struct ProgressWords {
  std::string_view program = "kestral-analyse";
  std::string_view items = "points";
};

// The line for `done` of `total` points after `seconds`; for `done` alone
// while the total is 0 (not yet known).
std::string progress_text(std::size_t done, std::size_t total, double seconds, ProgressWords words = {});

class ProgressLine {
 public:
  // `out` is null when nothing is to be shown.
  ProgressLine(std::ostream* out, std::size_t total, ProgressWords words = {});
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Redraws the line, at most a few times a second.
  void update(std::size_t done);
  // The same against a new total (an estimate that is refined as the work
  // goes; 0 while there is none).
  void update(std::size_t done, std::size_t total);
  // Erases the line.
  void finish();

  // The stream a run of `total` points shows its progress on: standard
  // error when it is a terminal and `total` is more than `minimum`, else none.
  static std::ostream* terminal_for(std::size_t total, std::size_t minimum = kProgressMinPoints);

 private:
  using Clock = std::chrono::steady_clock;
  std::ostream* out_;
  std::size_t total_;
  ProgressWords words_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_drawn_{};
  bool drawn_ = false;
};

}  // namespace kestral::analyse
