// Runs the program on a problem and captures what it leaves: the report,
// the console stream, the standard error and the exit status. Either the
// built kestral in a folder, or run_analysis in this process (which also
// gives the rows it recorded).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "driver/run.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/text_file.h"

namespace kestral::testing {

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

// Copies KESTRAL.in and gauss.qua of the recorded problem `name`
// (tests/regression/NAME) into `to`, creating it.
void copy_recorded_problem(const std::string& name, const std::filesystem::path& to);

struct InProcessRun {
  int status = -1;
  std::string console;
  std::string errors;
  std::string report;
  RunRecord record;
};

// run_analysis on `problem` and `gauss` (the files' contents) in a scratch
// folder of its own.
InProcessRun run_in_process(const std::string& problem, const std::string& gauss);

}  // namespace kestral::testing
