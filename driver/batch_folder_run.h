// One folder of a batch: kestral's engine run in it, its outcome kept.
#pragma once

#include <string>
#include <string_view>

#include "driver/batch_command_line.h"

namespace kestral {

// The outcome of one folder.
struct FolderOutcome {
  bool failed = false;
  int rows = 0;
  std::string csv_rows;     // csv_rows_after_folder of its record
  std::string diagnostics;  // the run's lines for standard error, unprefixed
};

// Runs the problem in `folder` (its own gauss.qua, or the shared one) with
// the console stream discarded, so that its KESTRAL.out is byte for byte
// what kestral run there writes. A folder that does not exist or is not a
// folder fails with a diagnostic and no file is touched. Never throws: an
// unexpected exception becomes a failed outcome with its message.
FolderOutcome run_folder(const std::string& folder, const BatchOptions& options);

// Prefixes every line of `diagnostics` with "folder: ".
std::string prefixed_lines(std::string_view folder, std::string_view diagnostics);

}  // namespace kestral
