#include "driver/legacy_problem_reader.h"

#include "driver/gauss_rule_check.h"
#include "driver/input_file.h"

namespace kestral {

LegacyProblemReader::LegacyProblemReader(const LegacyInputFiles& files)
    : gauss_name_(files.gauss_name),
      problem_file_(read_input_file(files.problem, files.problem_name, 1), 1, files.problem_name),
      gauss_file_(read_input_file(files.gauss, files.gauss_name, 27), 27, files.gauss_name) {}

void LegacyProblemReader::read_head(LegacyProblem& problem) {
  read_gauss_rules(gauss_file_, problem.rules);
  check_gauss_legendre_rules(problem.rules, gauss_name_);
  read_problem_head(problem_file_, problem.layers, problem.load);
}

void LegacyProblemReader::read_points(LegacyProblem& problem) {
  read_problem_points(problem_file_, problem.points, problem.load);
}

LegacyProblem read_legacy_problem_files(const LegacyInputFiles& files) {
  LegacyProblemReader reader(files);
  LegacyProblem problem;
  reader.read_head(problem);
  reader.read_points(problem);
  return problem;
}

}  // namespace kestral
