// Reading a whole input file (KESTRAL.in, gauss.qua) safely.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace kestral {

// Largest input file read: a real problem or quadrature file has a few
// hundred bytes; 4 MiB leaves room for any remarks and keeps memory bounded.
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{4} << 20;

// The whole content of the input file at `path`, which diagnostics call
// `name` (unit `unit`). A missing file reads as empty (it is not created),
// so its first read stops with the end-of-file diagnostic. Never blocks: the
// file is opened without waiting for a writer, and anything but a regular
// file is refused. Throws InputError, one line naming the file:
//   "cannot read file NAME, unit U"                       a folder, or no permission
//   "cannot read file NAME, unit U: not a regular file"   a device, FIFO or socket
//   "cannot read file NAME, unit U: larger than 4 MiB"    beyond kMaxInputFileBytes
std::string read_input_file(const std::filesystem::path& path, const std::string& name, int unit);

}  // namespace kestral
