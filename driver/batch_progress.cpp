#include "driver/batch_progress.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace kestral {
namespace {

// h:mm:ss or m:ss; at most 999 hours, so that the conversion stays defined.
std::string clock_time(double seconds) {
  const long whole = static_cast<long>(std::clamp(seconds, 0.0, 999.0 * 3600.0) + 0.5);
  char buffer[32];
  if (whole >= 3600) {
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld", whole / 60, whole % 60);
  }
  return buffer;
}

}  // namespace

std::string batch_progress_line(int done, int total, double seconds) {
  constexpr int kBarWidth = 24;
  const int filled =
      total > 0 ? static_cast<int>(static_cast<long>(done) * kBarWidth / total) : kBarWidth;
  std::string line = std::to_string(done) + "/" + std::to_string(total) + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] ";
  if (done > 0 && seconds > 0.0) {
    const double rate = static_cast<double>(done) / seconds;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.1f folders/s, ", rate);
    line += buffer;
    line += clock_time(static_cast<double>(total - done) / rate);
  } else {
    line += "-- folders/s, --:--";
  }
  line += " left";
  return line;
}

std::string summary_line(const BatchSummary& summary) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", summary.seconds);
  return "kestral-batch: " + std::to_string(summary.folders) +
         (summary.folders == 1 ? " folder run, " : " folders run, ") +
         std::to_string(summary.failed) + " failed, " + std::to_string(summary.rows) +
         (summary.rows == 1 ? " row, " : " rows, ") + seconds + " seconds";
}

}  // namespace kestral
