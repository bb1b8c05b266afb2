// The report file ("KESTRAL.out"), written whole or not at all.
#pragma once

#include <filesystem>
#include <string>

#include "files/file_replacement.h"

namespace kestral {

// The report file. Created empty at start when missing, otherwise left as
// it is until the run ends: the records go to a temporary file beside it,
// which finish() (or keep_after_stop()) renames over it, so that a reader
// sees the old report or the whole new one, never a part. A run that stops
// before its first record, or is interrupted, leaves an existing report
// untouched.
class ReportFile {
 public:
  // Throws InputError when the file can neither be opened nor created.
  explicit ReportFile(std::filesystem::path path);
  // Writes one record and passes it on at once; throws InputError when it
  // cannot be written (a full disk, say): the report then stays as it was.
  void write(const std::string& record);
  void flush();
  // The run is complete: the records replace the report. Throws InputError
  // when they cannot.
  void finish();
  // The run stopped with a diagnostic after its first records: they replace
  // the report as they stand, unless writing them failed (which was then
  // reported, and the report stays as it was). False when the replacement
  // itself failed.
  bool keep_after_stop() noexcept;

 private:
  std::filesystem::path path_;
  files::FileReplacement replacement_;
  bool started_ = false;
  bool failed_ = false;
};

}  // namespace kestral
