#include "tests/support/scratch_folder.h"

#include <unistd.h>

#include <atomic>

namespace kestral::testing {

ScratchFolder::ScratchFolder(const std::string& tag) {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("kestral-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace kestral::testing
