#include "tests/e2e/program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace kestral::testing {

std::string read_text(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void write_text(const std::filesystem::path& path, const std::string& text) {
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream << text;
}

void copy_recorded_problem(const std::string& name, const std::filesystem::path& to) {
  const std::filesystem::path from = std::filesystem::path(KESTRAL_SOURCE_DIR) / "tests" / "regression" / name;
  std::filesystem::create_directories(to);
  for (const char* file : {"KESTRAL.in", "gauss.qua"}) std::filesystem::copy_file(from / file, to / file);
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  std::ostringstream name;
  name << "kestral-test-" << ::getpid() << "-" << counter++;
  path_ = std::filesystem::temp_directory_path() / name.str();
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
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

}  // namespace kestral::testing
