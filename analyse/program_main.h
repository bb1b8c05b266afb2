// What the programs kestral-analyse, kestral-design and kestral-backcalc
// share around their own work: the command line parsed with the usage
// errors (status 2), an -o that would replace the input refused, the output
// written whole to a file or to standard output, and every failure of the
// work turned into one line on standard error (status 1).
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "files/file_replacement.h"

namespace CLI {
class App;
}

namespace kestral::analyse {

// How a program's messages name it, its work and its output.
struct ProgramTerms {
  std::string_view name;    // "kestral-design"
  std::string_view work;    // "the design check": "not enough memory for the design check"
  std::string_view output;  // "the report": "cannot write the report to standard output"
};

inline constexpr int kUsageError = 2;

// Writes "NAME: WHAT (NAME --help shows the usage)" on standard error and
// returns kUsageError.
int usage_error(const ProgramTerms& program, const std::string& what);

// Parses the command line into `app`'s options. Empty to go on; otherwise the
// status to end with: 0 after --help or --version (written on standard
// output), kUsageError after a usage error.
std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv, const ProgramTerms& program);

// "-o OUTPUT is the KIND file itself" when `output` names the file `input`
// (replacing it by its own results would lose it), else empty.
std::string output_replacing_input(const std::string& input, const std::string& output, std::string_view kind);

// Where the results go: the file -o named (replaced whole or not at all), or
// standard output when that is empty. Opened before a long work, so that a
// file that cannot be written fails at once. Throws files::FileWriteError.
class ProgramOutput {
 public:
  explicit ProgramOutput(const std::string& path);
  std::ostream& stream();
  bool to_file() const { return !path_.empty(); }
  // Commits the file (throws files::FileWriteError), or flushes standard
  // output: false, with a line on standard error, when that failed.
  bool finish(const ProgramTerms& program);

 private:
  std::string path_;
  files::FileReplacement file_;
};

// Runs `work` (its status) with temporary files removed on a signal. Any
// exception ends it with status 1 and one line on standard error: "INPUT: not
// enough memory for WORK", "INPUT: MESSAGE" for a problem the engine refused,
// the message of any other.
int run_program(const ProgramTerms& program, const std::string& input, const std::function<int()>& work);

}  // namespace kestral::analyse
