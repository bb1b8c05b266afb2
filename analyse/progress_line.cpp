#include "analyse/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace kestral::analyse {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(200);
constexpr const char* kEraseLine = "\r\033[K";

}  // namespace

std::string progress_text(std::size_t done, std::size_t total, double seconds, ProgressWords words) {
  const std::string items(words.items);
  if (total == 0) return std::string(words.program) + ": " + std::to_string(done) + " " + items;
  std::string text = std::string(words.program) + ": " + std::to_string(done) + " of " + std::to_string(total) + " " + items;
  if (done > 0 && seconds > 0.0) {
    const double rate = static_cast<double>(done) / seconds;
    // At most 999 hours, so that the conversion to a whole number stays defined.
    const double left = std::clamp(static_cast<double>(total > done ? total - done : 0) / rate, 0.0, 999.0 * 3600.0);
    const long whole = static_cast<long>(left + 0.5);
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%.0f ", rate);
    text += ", ";
    text += buffer;
    std::snprintf(buffer, sizeof buffer, "/s, %ld:%02ld:%02ld left", whole / 3600, whole / 60 % 60, whole % 60);
    text += items + buffer;
  }
  return text;
}

ProgressLine::ProgressLine(std::ostream* out, std::size_t total, ProgressWords words)
    : out_(out), total_(total), words_(words) {}

ProgressLine::~ProgressLine() { finish(); }

void ProgressLine::update(std::size_t done) {
  if (out_ == nullptr) return;
  const Clock::time_point now = Clock::now();
  if (drawn_ && now - last_drawn_ < kRedrawInterval) return;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  *out_ << '\r' << progress_text(done, total_, seconds, words_) << "\033[K" << std::flush;
  drawn_ = true;
  last_drawn_ = now;
}

void ProgressLine::update(std::size_t done, std::size_t total) {
  total_ = total;
  update(done);
}

void ProgressLine::finish() {
  if (out_ != nullptr && drawn_) *out_ << kEraseLine << std::flush;
  drawn_ = false;
}

std::ostream* ProgressLine::terminal_for(std::size_t total, std::size_t minimum) {
  return total > minimum && ::isatty(STDERR_FILENO) == 1 ? &std::cerr : nullptr;
}

}  // namespace kestral::analyse
