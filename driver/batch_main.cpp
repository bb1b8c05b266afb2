// kestral-batch: runs kestral's engine in many folders; see driver/batch.h.
#include <unistd.h>

#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "driver/batch.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return kestral::batch_main(arguments, std::cout, std::cerr, ::isatty(2) == 1,
                             std::thread::hardware_concurrency());
}
