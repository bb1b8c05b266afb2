#include "tests/support/program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <sstream>

namespace kestral::testing {

void copy_recorded_problem(const std::string& name, const std::filesystem::path& to) {
  const std::filesystem::path from =
      std::filesystem::path(KESTRAL_SOURCE_DIR) / "tests" / "regression" / name;
  std::filesystem::create_directories(to);
  for (const char* file : {"KESTRAL.in", "gauss.qua"}) {
    std::filesystem::copy_file(from / file, to / file);
  }
}

ProgramRun run_program_in(const std::filesystem::path& folder, const std::string& executable,
                          const std::vector<std::string>& arguments) {
  static std::atomic<int> counter{0};
  const std::string stem = "kestral-capture-" + std::to_string(::getpid()) + "-" +
                           std::to_string(counter++);
  const auto console_path = std::filesystem::temp_directory_path() / (stem + ".out");
  const auto errors_path = std::filesystem::temp_directory_path() / (stem + ".err");
  std::string command = "cd '" + folder.string() + "' && '" + executable + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " > '" + console_path.string() + "' 2> '" + errors_path.string() + "'";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  run.console = read_text(console_path);
  run.errors = read_text(errors_path);
  std::filesystem::remove(console_path);
  std::filesystem::remove(errors_path);
  run.report_exists = std::filesystem::is_regular_file(folder / "KESTRAL.out");
  if (run.report_exists) run.report = read_text(folder / "KESTRAL.out");
  return run;
}

InProcessRun run_in_process(const std::string& problem, const std::string& gauss) {
  const ScratchFolder folder("run");
  write_text(folder / "KESTRAL.in", problem);
  write_text(folder / "gauss.qua", gauss);
  InProcessRun run;
  std::ostringstream console;
  std::ostringstream errors;
  run.status = run_analysis(RunFiles::in_folder(folder.path()), console, errors, &run.record);
  run.console = console.str();
  run.errors = errors.str();
  run.report = read_text(folder / "KESTRAL.out");
  return run;
}

}  // namespace kestral::testing
