// A file replaced whole or not at all: written to a temporary file beside it
// and renamed over it when complete. The one way every program of the
// project (and the Python package) writes a file.
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestral::files {

// Replaces the file at `target` with what is written to stream(). A reader
// of the target sees either its old content or the whole new one: the new
// content goes to a temporary file in the target's folder (listed for
// removal on a signal, see temporary_files.h), which commit() renames over
// the target. Until then the target is untouched; discard(), or destroying
// the object uncommitted, removes the temporary file.
//
// A target that is a symbolic link keeps its link: the file it leads to is
// replaced, in that file's folder. A hard link's other names keep the old
// content (the name given gets the new file). A target that exists and is
// not a regular file (/dev/null, a terminal, a FIFO with a reader) cannot
// be renamed over: it is written directly, as it stands (a full device
// fails at commit). The replacement gets the target's permission bits
// (0644 less the umask for a target that does not exist). In a folder that
// takes no new file an existing target is written in place, as a plain
// write would. A target that cannot be written at all (a folder, a missing
// folder) fails at open() and leaves nothing behind.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement() { discard(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Starts the replacement; false when neither a temporary file nor the
  // target itself can be opened for writing (failure() says why).
  bool open(const std::filesystem::path& target);
  bool is_open() const { return stream_.is_open(); }
  std::ofstream& stream() { return stream_; }

  // Flushes and closes the new content and renames it over the target.
  // False, with the temporary file removed and the target untouched, when
  // any of that failed (a full disk, say; failure() says why).
  bool commit();
  // Drops the new content: the target stays as it was.
  void discard();

  // Why open() or commit() failed, as the system says it ("No space left
  // on device").
  std::string failure() const;

 private:
  void fail();

  std::filesystem::path target_;     // the file replaced (links resolved)
  std::filesystem::path temporary_;  // empty when writing the target directly
  std::ofstream stream_;
  int error_ = 0;                    // errno of the failure
};

// A file that could not be written; what() is "TARGET: cannot write: REASON".
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Opens a replacement of `target`, or throws FileWriteError.
void open_or_throw(FileReplacement& file, const std::filesystem::path& target);
// Commits `file` (opened on `target`), or throws FileWriteError.
void commit_or_throw(FileReplacement& file, const std::filesystem::path& target);

// Replaces `target` by `content` in one call. Throws FileWriteError.
void write_whole_file(const std::filesystem::path& target, std::string_view content);

}  // namespace kestral::files
