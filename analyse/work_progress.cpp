#include "analyse/work_progress.h"

namespace kestral::analyse {
namespace {

constexpr std::chrono::milliseconds kPollInterval{200};

}  // namespace

WorkProgress::WorkProgress(std::ostream* out, std::size_t points, std::chrono::milliseconds delay)
    : out_(out), points_(points), line_(out, 0, ProgressWords{"kestral-analyse", "panels"}) {
  if (out_ != nullptr) watcher_ = std::thread([this, delay] { watch(delay); });
}

WorkProgress::~WorkProgress() { finish(); }

void WorkProgress::watch(std::chrono::milliseconds delay) {
  std::unique_lock<std::mutex> hold(lock_);
  if (wake_.wait_for(hold, delay, [this] { return stopping_; })) return;
  do {
    const std::uint64_t total = counter_.estimated_panels(points_);
    line_.update(static_cast<std::size_t>(counter_.panels.load(std::memory_order_relaxed)), static_cast<std::size_t>(total));
  } while (!wake_.wait_for(hold, kPollInterval, [this] { return stopping_; }));
}

void WorkProgress::finish() {
  if (watcher_.joinable()) {
    {
      const std::lock_guard<std::mutex> hold(lock_);
      stopping_ = true;
    }
    wake_.notify_all();
    watcher_.join();
  }
  line_.finish();  // after the thread: only one of them ever draws
}

}  // namespace kestral::analyse
