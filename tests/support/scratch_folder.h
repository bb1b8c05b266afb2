// A fresh temporary folder for one test, removed with the object.
#pragma once

#include <filesystem>
#include <string>

namespace kestral::testing {

// A new, empty folder under the system's temporary folder, named after the
// process and a counter (and `tag`, to tell a leftover's test), removed with
// everything in it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag = "test");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace kestral::testing
