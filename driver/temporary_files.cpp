#include "driver/temporary_files.h"

#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

namespace kestral {
namespace {

// A slot is free, being filled or changed, or listed.
enum SlotState : int { kFree = 0, kBusy = 1, kListed = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the states");

std::array<Slot, kMaxTemporaryFiles> slots;
// Orders the threads that list and forget; the handler only reads.
std::mutex slots_mutex;

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void remove_and_reraise(int signal_number) {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kListed) ::unlink(slot.path);
  }
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Holds off the cleaned signals in this thread for its lifetime.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int s : kCleanedSignals) sigaddset(&held, s);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

void list(const std::string& path) {
  if (path.size() >= PATH_MAX) return;
  const std::lock_guard lock(slots_mutex);
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_relaxed) != kFree) continue;
    slot.state.store(kBusy, std::memory_order_relaxed);
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.state.store(kListed, std::memory_order_release);
    return;
  }
}

}  // namespace

std::filesystem::path create_temporary_file(const std::filesystem::path& folder,
                                            const std::string& stem) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  if (error) absolute = folder;
  std::string name = (absolute / ("." + stem + ".XXXXXX")).string();
  const SignalsHeld held;
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {};
  ::close(fd);
  list(name);
  return name;
}

void forget_temporary_file(const std::filesystem::path& path) {
  const std::string name = path.string();
  const std::lock_guard lock(slots_mutex);
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_relaxed) == kListed && name == slot.path) {
      slot.state.store(kFree, std::memory_order_release);
      return;
    }
  }
}

void remove_temporary_files_on_signals() {
  for (const int s : kCleanedSignals) {
    struct sigaction previous {};
    if (::sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = remove_and_reraise;
    sigemptyset(&action.sa_mask);
    for (const int other : kCleanedSignals) sigaddset(&action.sa_mask, other);
    ::sigaction(s, &action, nullptr);
  }
}

}  // namespace kestral
