// kestral: the analysis in the working folder; takes no arguments.
#include <iostream>
#include <string>
#include <vector>

#include "driver/kestral_command_line.h"
#include "driver/run.h"
#include "driver/standard_streams.h"
#include "files/temporary_files.h"

int main(int argc, char** argv) {
  // Before any file is opened: no file may take a standard descriptor.
  if (!kestral::open_closed_standard_streams()) return 1;
  std::string out;
  std::string errors;
  const int answered =
      kestral::answer_kestral_arguments(std::vector<std::string>(argv + 1, argv + argc), out, errors);
  if (answered >= 0) {
    std::cout << out << std::flush;
    std::cerr << errors;
    return answered;
  }
  kestral::files::remove_temporary_files_on_signals();
  return kestral::MAIN__();
}
