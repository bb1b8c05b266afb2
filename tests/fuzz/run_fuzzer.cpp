// libFuzzer target: arbitrary bytes as the two input files of a whole run,
// through the reader, the validation and the computation. The input layout
// and the properties checked after each run are those of run_invariants.h;
// a violated property aborts, so libFuzzer keeps the input.
//
// Every input is written into one temporary folder of this process, under
// /dev/shm when it exists so that the files stay in memory, and overwritten
// by the next input.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/fuzz/run_invariants.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFolderPrefix = "kestral-fuzz-";

// libFuzzer ends its processes with _Exit on a fault, a timeout or in fork
// mode, which skips the atexit clean-up: remove the folders of processes
// that no longer run.
void remove_stale_folders(const fs::path& base) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(base, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kFolderPrefix, 0) != 0) continue;
    const std::string digits = name.substr(kFolderPrefix.size());
    if (digits.empty() || digits.size() > 9) continue;
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::stol(digits);
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      fs::remove_all(entry.path(), error);
    }
  }
}

fs::path make_folder() {
  std::error_code error;
  const fs::path base =
      fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  remove_stale_folders(base);
  fs::path made = base / (std::string(kFolderPrefix) + std::to_string(::getpid()));
  fs::remove_all(made, error);
  fs::create_directories(made);
  return made;
}

const fs::path& folder() {
  static const fs::path path = make_folder();
  return path;
}

void remove_folder() {
  std::error_code ignored;
  fs::remove_all(folder(), ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder();
  std::atexit(remove_folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string failure =
      kestral::fuzz::check_run(folder(), kestral::fuzz::split_run_input(bytes));
  if (!failure.empty()) {
    std::fprintf(stderr, "\n*** run property violated: %s\n", failure.c_str());
    std::fflush(stderr);
    std::abort();
  }
  return 0;
}
