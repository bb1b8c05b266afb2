// The command line of kestral, which takes no arguments.
#pragma once

#include <string>
#include <vector>

namespace kestral {

// What the arguments after the program's name ask for.
enum class KestralAction { kRun, kHelp, kVersion, kUsageError };

// No argument runs the problem; "-h" or "--help" asks for the usage,
// "--version" for the version; anything else (and any second argument) is
// a usage error.
KestralAction parse_kestral_arguments(const std::vector<std::string>& arguments);

// The usage: what the program reads and writes, and which pages of the manual describe them.
std::string kestral_usage();

// "kestral 1.0".
std::string kestral_version();

// Answers a command line that does not run the problem (help, version or
// a usage error) on `out` or `errors` without touching any file, and
// returns its exit status (0, or 2 for a usage error). Returns -1 for a
// command line that runs the problem.
int answer_kestral_arguments(const std::vector<std::string>& arguments, std::string& out,
                             std::string& errors);

}  // namespace kestral
