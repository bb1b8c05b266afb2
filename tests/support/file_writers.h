// Every program that writes a file, as one row each, so that one table of
// targets (a file, a symbolic link, a hard link, a 0600 file, a device, a
// FIFO with a reader, a read-only folder, a folder, an interrupted run)
// runs against all of them. A new program is one more row.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kestral::testing {

struct FileWriter {
  std::string name;    // for the test's messages
  std::string target;  // the file the run writes, a name in its working folder
  // Writes the run's inputs into `folder` (a quick run, or with `slow` one
  // that takes a second or more, for the interrupted run) and returns the
  // command line, program first, run with `folder` as working folder.
  std::function<std::vector<std::string>(const std::filesystem::path& folder, bool slow)> prepare;
};

// kestral (KESTRAL.out), kestral-batch --csv, kestral-analyse -o,
// kestral-design -o, kestral-backcalc -o and, where
// the Python module is built, python3 -m kestral plot -o.
const std::vector<FileWriter>& file_writers();

}  // namespace kestral::testing
