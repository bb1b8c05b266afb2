#include "files/temporary_files.h"

#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

namespace kestral::files {
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

// A process-directed signal may be handled by any thread, also while
// another one is between creating a file and listing it: the handler marks
// the process as ending, waits for the creations in flight to be listed,
// and later creations give up.
std::atomic<int> creations_in_flight{0};
std::atomic<bool> ending{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler writes the flag");

// ".", the stem, ".XXXXXX": the stem keeps at most this many bytes.
constexpr std::size_t kMaxStemBytes = NAME_MAX - 8;

extern "C" void remove_and_reraise(int signal_number) {
  ending.store(true);
  // A creation in flight takes a few system calls; do not wait for ever on
  // a thread that is stopped.
  for (long spin = 0; creations_in_flight.load() > 0 && spin < 100000000L; ++spin) {
  }
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kListed) ::unlink(slot.path);
  }
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

sigset_t cleaned_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const int s : cleaned_signals()) sigaddset(&set, s);
  return set;
}

// Holds off the cleaned signals in this thread for its lifetime.
class SignalsHeld {
 public:
  SignalsHeld() {
    static const sigset_t held = cleaned_set();
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

const std::vector<int>& cleaned_signals() {
  static const std::vector<int> signals = [] {
    std::vector<int> s = {SIGINT,  SIGTERM,   SIGHUP,  SIGPIPE, SIGQUIT, SIGABRT,
                          SIGALRM, SIGVTALRM, SIGPROF, SIGUSR1, SIGUSR2, SIGXCPU,
                          SIGXFSZ, SIGIO,     SIGPWR};
#ifdef SIGSTKFLT
    s.push_back(SIGSTKFLT);
#endif
    for (int r = SIGRTMIN; r <= SIGRTMAX; ++r) s.push_back(r);
    return s;
  }();
  return signals;
}

std::filesystem::path create_temporary_file(const std::filesystem::path& folder,
                                            const std::string& stem) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  if (error) absolute = folder;
  std::string leaf = ".";
  leaf.append(stem, 0, std::min(stem.size(), kMaxStemBytes));
  leaf += ".XXXXXX";
  std::string name = (absolute / leaf).string();
  const SignalsHeld held;  // in this thread; other threads see the count
  creations_in_flight.fetch_add(1);
  const auto done = [](std::filesystem::path made) {
    const int saved = errno;
    creations_in_flight.fetch_sub(1);
    errno = saved;
    return made;
  };
  if (ending.load()) return done({});
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return done({});
  ::close(fd);
  list(name);
  return done(name);
}

bool ending_by_signal() { return ending.load(); }

void forget_temporary_file(const std::filesystem::path& path) {
  const std::string name = path.string();
  // No handler may run in this thread while it holds the lock.
  const SignalsHeld held;
  const std::lock_guard lock(slots_mutex);
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_relaxed) == kListed && name == slot.path) {
      slot.state.store(kFree, std::memory_order_release);
      return;
    }
  }
}

void remove_temporary_files_on_signals() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    const sigset_t all = cleaned_set();
    for (const int s : cleaned_signals()) {
      struct sigaction previous {};
      if (::sigaction(s, nullptr, &previous) != 0) continue;
      if ((previous.sa_flags & SA_SIGINFO) != 0 || previous.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = remove_and_reraise;
      action.sa_mask = all;
      ::sigaction(s, &action, nullptr);
    }
  });
}

}  // namespace kestral::files
