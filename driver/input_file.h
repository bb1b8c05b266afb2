// Reading a legacy input file (KESTRAL.in, gauss.qua) with the legacy
// messages, through the shared safe reader (files/input_file.h).
#pragma once

#include <filesystem>
#include <string>

#include "files/input_file.h"

namespace kestral {

using files::kMaxInputFileBytes;

// The whole content of the input file at `path`, which diagnostics call
// `name` (unit `unit`). A missing file reads as empty (it is not created),
// so its first read stops with the end-of-file diagnostic. Never blocks.
// Throws InputError, one line naming the file:
//   "cannot read file NAME, unit U"                       a folder, or no permission
//   "cannot read file NAME, unit U: not a regular file"   a device, FIFO or socket
//   "cannot read file NAME, unit U: larger than 4 MiB"    beyond kMaxInputFileBytes
std::string read_input_file(const std::filesystem::path& path, const std::string& name, int unit);

}  // namespace kestral
