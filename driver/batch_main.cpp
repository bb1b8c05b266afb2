// kestral-batch: runs kestral's engine in many folders; see
// driver/batch_program.h.
#include <unistd.h>

#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "driver/batch_program.h"
#include "driver/standard_streams.h"
#include "files/temporary_files.h"

int main(int argc, char** argv) {
  // Before any file is opened: no report or table may take a standard
  // descriptor.
  if (!kestral::open_closed_standard_streams()) return 1;
  kestral::files::remove_temporary_files_on_signals();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return kestral::batch_main(arguments, std::cout, std::cerr, ::isatty(2) == 1,
                             std::thread::hardware_concurrency());
}
