// The command line of kestral-batch.
#pragma once

#include <string>
#include <vector>

namespace kestral {

// Largest -j accepted: far more threads than any machine's cores only costs
// memory (every thread has its own work tables, about 3 MB).
inline constexpr int kMaxBatchJobs = 256;

// What the command line asks for.
struct BatchOptions {
  std::vector<std::string> folders;  // as given, in argument order
  bool shared_gauss = false;         // --gauss FILE given
  std::string gauss;                 // that FILE, as given (diagnostics name it so)
  bool csv_to_file = false;          // --csv FILE given; else standard output
  std::string csv;                   // that FILE
  int jobs = 1;                      // worker threads, 1 to kMaxBatchJobs
};

// The command line, parsed. kUsageError carries the reason in `error`.
struct BatchArguments {
  enum class Action { kRun, kHelp, kUsageError };
  Action action = Action::kUsageError;
  BatchOptions options;
  std::string error;
};

// Parses the arguments after the program name (with CLI11). Options may
// stand anywhere before "--" (after it every argument is a folder):
// --gauss FILE (or --gauss=FILE), --csv FILE (or --csv=FILE), -j N (or
// -jN), -h/--help. The last of a repeated option counts. Without -j, jobs
// is `hardware_threads` (at least 1, at most kMaxBatchJobs). At least one
// folder is required. The reasons of a usage error:
//   "unknown option X", "no folder given", "-j needs a number",
//   "-j takes a whole number from 1 to 256, not 'X'", "--csv needs a file
//   name", "--gauss needs a file name".
BatchArguments parse_batch_arguments(const std::vector<std::string>& arguments,
                                     unsigned hardware_threads);

// The usage text, several lines, ending with a line end.
std::string batch_usage();

}  // namespace kestral
