// The records of the report ("KESTRAL.out") and of the console.
#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "driver/problem_input.h"
#include "files/file_replacement.h"
#include "hankel/result_table.h"

namespace kestral {

// Kinds of result row: the ordinary row, and the lower side of a point on an
// interface (printed with the letter L).
inline constexpr int kOrdinaryRow = 1;
inline constexpr int kInterfaceRow = 2;

// The six echo records of items 1 to 5: labels from column 3, values from
// column 30 (n), 25 (E, H, P, q) or 29 (Mu, 4.2 fields run together).
std::array<std::string, 6> echo_records(const LayerSystem& layers, const WheelLoad& load);

// "  Single Wheel" or "  Dual  Wheel" (a free-format line of one text item).
std::string wheel_line(bool dual);

// Column labels at their fixed start columns, ending after "epR".
std::string column_header();

// One 104-character result row: Z and R in 8.2 (kind 1), or Z 8.2, "L" and
// R 7.2 (kind 2); then the eight results in scientific 11.4.
std::string result_row(const ResultTable& results, int row, int kind);

// " Z=", Zc, "  Rad=", Rc as a free-format line.
std::string progress_line(float Zc, float Rc);

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
