// A drop from its values as given (in a problem file's "drops" or a line of
// the CSV drop file): the checks that decide whether it can be fitted. A
// drop that cannot is kept, with its fault, so that it gets its row in the
// table and the other drops go on.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "backcalc/survey.h"

namespace kestral::backcalc {

// A value as given: a finite number, or the text of what stood there.
struct GivenValue {
  bool is_number = false;
  double number = 0.0;
  std::string text;  // when not a number: as written ("abc", "null", "")
};

struct DropScales {
  double force = 1.0;       // N per unit of force
  double deflection = 1.0;  // mm per unit of deflection
  std::size_t sensors = 0;  // deflections a bowl must have
};

// The drop, in engine units; Drop::fault says why it cannot be fitted:
//   "load is -5, must be above 0", "load is not a number (\"abc\")",
//   "has 7 deflections, the survey has 8 sensors",
//   "deflection 3 is 0, must be above 0", "deflection 3 is not a number (\"-\")".
Drop make_drop(std::string id, std::string where, const GivenValue& load,
               const std::vector<GivenValue>& deflections, const DropScales& scales);

// The short reason a faulty drop's status names after "failed:": "load",
// "bowl_size" or "deflection".
std::string fault_code(const std::string& fault);

}  // namespace kestral::backcalc
