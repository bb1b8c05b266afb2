// Writing a file so that it is replaced whole or not at all: the content
// goes to a temporary file in the target's folder (so that the rename stays
// on one file system), which replaces the target only once it is complete.
// A run that fails or is interrupted leaves the old file as it was: the
// destructor removes the temporary file, and while one is open SIGINT,
// SIGTERM and SIGHUP remove it and then end the process with the signal's
// own status.
//
// One file at a time per process (the signal handlers know one path).
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace kestral::analyse {

class ReplacementFile {
 public:
  // Creates the temporary file beside `target` (`.<name>.<pid>.tmp`), with
  // the permissions a new file gets. Throws std::runtime_error "<target>:
  // cannot write: <reason>".
  explicit ReplacementFile(const std::filesystem::path& target);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  std::ostream& stream() { return stream_; }
  const std::filesystem::path& temporary_path() const { return temporary_; }

  // Flushes the content to disk and renames it over the target. Throws
  // std::runtime_error "<target>: cannot write: <reason>" (the old file
  // then stays).
  void commit();

 private:
  void abandon();

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::ofstream stream_;
  bool open_ = false;
};

}  // namespace kestral::analyse
