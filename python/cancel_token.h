// A run's cancel flag and progress, shared between the thread that runs it
// and the threads that watch it (the web app's jobs): bound to Python as
// _kestral.CancelToken by analyse_json_binding.cpp.
#pragma once

#include <atomic>
#include <cstddef>

namespace kestral::python {

// A cancel flag and the work done of the total (points, or drops).
class CancelToken {
 public:
  void cancel() { cancelled_.store(true); }
  bool cancelled() const { return cancelled_.load(); }
  std::size_t done() const { return done_.load(); }
  std::size_t total() const { return total_.load(); }

  const std::atomic<bool>* flag() const { return &cancelled_; }
  void set_progress(std::size_t done, std::size_t total) {
    total_.store(total);
    done_.store(done);
  }

 private:
  std::atomic<bool> cancelled_{false};
  std::atomic<std::size_t> done_{0};
  std::atomic<std::size_t> total_{0};
};

}  // namespace kestral::python
