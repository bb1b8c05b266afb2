// Runs the built kestral in a fresh temporary folder and captures what it
// leaves: the report, the console stream, the standard error and the exit
// status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestral::testing {

std::string read_text(const std::filesystem::path& path);
void write_text(const std::filesystem::path& path, const std::string& text);

// Copies KESTRAL.in and gauss.qua of the recorded problem `name`
// (tests/regression/NAME) into `to`, creating it.
void copy_recorded_problem(const std::string& name, const std::filesystem::path& to);

// A new, empty folder under the system's temporary folder, removed with the
// object.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct ProgramRun {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string console;
  std::string errors;
  std::string report;  // empty when no report exists
  bool report_exists = false;
};

// Runs `executable` with `arguments` and `folder` as working directory. The
// streams are captured outside the folder, which holds only what the
// program leaves there.
ProgramRun run_program_in(const std::filesystem::path& folder,
                          const std::string& executable = KESTRAL_EXE,
                          const std::vector<std::string>& arguments = {});

}  // namespace kestral::testing
