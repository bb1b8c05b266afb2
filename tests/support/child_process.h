// A program started as a real child process, for tests that signal it,
// close its standard descriptors or bound its time and memory.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kestral::testing {

struct ChildOptions {
  std::filesystem::path folder;        // working folder
  std::string executable;
  std::vector<std::string> arguments;  // after the program's name
  // Where standard output and standard error go (files outside `folder`);
  // empty: the descriptor is closed in the child.
  std::filesystem::path console;
  std::filesystem::path errors;
  bool close_input = false;            // start with descriptor 0 closed
  long memory_limit_bytes = 0;         // RLIMIT_AS when positive
};

// Starts the child; returns its pid (or -1).
pid_t start_child(const ChildOptions& options);

struct ChildEnd {
  bool exited = false;    // ended by itself with an exit status
  int status = -1;        // that status
  bool signalled = false; // ended by a signal
  int signal = 0;         // that signal
  bool timed_out = false; // still running after the limit: killed
  double seconds = 0.0;   // from the call to its end
};

// Waits for the child; after `limit` it is killed with SIGKILL and reported
// as timed out.
ChildEnd wait_child(pid_t pid, std::chrono::milliseconds limit);

// Polls `condition` every millisecond until it holds or `limit` passes;
// returns whether it held.
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// The names in `folder` that start with ".NAME." for a file NAME: the
// temporary files of a replacement in flight.
std::vector<std::string> temporary_files_in(const std::filesystem::path& folder);

}  // namespace kestral::testing
