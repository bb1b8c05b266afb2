#pragma once

#include <string>

namespace kestral {

// The shortest text that reads back as the same float, for messages and
// tables: 0.6, not 0.600000024; 1.0000001, not 1; 3e+10; inf, nan.
std::string shortest_text(float value);

}  // namespace kestral
