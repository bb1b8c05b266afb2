// What kestral-batch tells on standard error: the progress line drawn on a
// terminal while the folders run, and the closing summary.
#pragma once

#include <string>

namespace kestral {

// The progress line: folders done of total, a bar, the rate and the time
// left, e.g. " 37/200 [#####...] 45.2 folders/s, 0:04 left". No line end.
std::string batch_progress_line(int done, int total, double seconds);

// Erases the line the cursor is on (a drawn progress line) on a terminal.
inline constexpr const char* kEraseLine = "\r\033[K";

struct BatchSummary {
  int folders = 0;
  int failed = 0;
  long rows = 0;
  double seconds = 0.0;
};

// "kestral-batch: 10 folders run, 1 failed, 40 rows, 0.21 seconds".
std::string summary_line(const BatchSummary& summary);

}  // namespace kestral
