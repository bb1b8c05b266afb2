// A file replaced whole or not at all: written to a temporary file beside it
// and renamed over it when complete.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace kestral {

// Replaces the file at `target` with what is written to stream(). A reader
// of the target sees either its old content or the whole new one: the new
// content goes to a temporary file in the target's folder (listed for
// removal on a signal, see temporary_files.h), which commit() renames over
// the target. Until then the target is untouched; discard(), or destroying
// the object uncommitted, removes the temporary file.
//
// A target that is a symbolic link keeps its link: the file it leads to is
// replaced, in that file's folder. A target that exists and is not a
// regular file (/dev/null, a terminal, a FIFO) cannot be renamed over: it is
// written directly, as it stands. The replacement gets the target's
// permission bits (0644 less the umask for a target that does not exist).
// In a folder that takes no new file the target is written in place, as a
// plain write would.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement() { discard(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Starts the replacement; false when neither a temporary file nor the
  // target itself can be opened for writing.
  bool open(const std::filesystem::path& target);
  bool is_open() const { return stream_.is_open(); }
  std::ofstream& stream() { return stream_; }

  // Flushes and closes the new content and renames it over the target.
  // False, with the temporary file removed and the target untouched, when
  // any of that failed (a full disk, say).
  bool commit();
  // Drops the new content: the target stays as it was.
  void discard();

 private:
  std::filesystem::path target_;     // the file replaced (links resolved)
  std::filesystem::path temporary_;  // empty when writing the target directly
  std::ofstream stream_;
};

}  // namespace kestral
