#pragma once

#include <string>

namespace kestral {

// The shortest text that reads back as the same number, for messages and
// tables: 0.6, not 0.600000024; 1.0000001, not 1; 3e+10; 1e-08; inf, -inf,
// and nan whatever the sign bit of the NaN. The one way every program writes
// a number as typed: a float (the legacy problem's values) or a double.
std::string shortest_text(float value);
std::string shortest_text(double value);

// A float's value as typed, as a double: its shortest text read back (0.1f
// gives 0.1, not 0.100000001490116), so that sums of typed thicknesses meet
// the typed depths.
double typed_double(float value);

}  // namespace kestral
