// The one reading of a legacy problem (KESTRAL.in with its gauss.qua), for
// kestral, kestral-batch and kestral-analyse --legacy alike, so that every
// program refuses the same inputs with the same message.
#pragma once

#include <filesystem>
#include <string>

#include "driver/free_format_reader.h"
#include "driver/problem_input.h"

namespace kestral {

// A legacy problem as read and checked.
struct LegacyProblem {
  GaussRules rules;
  LayerSystem layers;
  WheelLoad load;
  EvalPoints points;
};

// The two input files and the names the diagnostics give them.
struct LegacyInputFiles {
  std::filesystem::path problem = "KESTRAL.in";
  std::filesystem::path gauss = "gauss.qua";
  std::string problem_name = "KESTRAL.in";
  std::string gauss_name = "gauss.qua";
};

// Reads a legacy problem in the legacy program's steps: the files first,
// then the rules and items 1 to 5 (which the report echoes), then items 6
// to 8. Every step throws InputError, one line naming the file.
class LegacyProblemReader {
 public:
  // Reads both files whole (files/input_file.h: a missing file reads as
  // empty; a device, FIFO or file over 4 MiB is refused at once).
  explicit LegacyProblemReader(const LegacyInputFiles& files);

  // The three rules of gauss.qua, checked as Gauss-Legendre rules
  // (gauss_rule_check.h), then items 1 to 5 (read_problem_head).
  void read_head(LegacyProblem& problem);
  // Items 6 to 8 (read_problem_points).
  void read_points(LegacyProblem& problem);

 private:
  std::string gauss_name_;
  FreeFormatReader problem_file_;
  FreeFormatReader gauss_file_;
};

// All steps at once.
LegacyProblem read_legacy_problem_files(const LegacyInputFiles& files);

}  // namespace kestral
