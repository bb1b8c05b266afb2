#pragma once

#include <array>

namespace kestral {

inline constexpr int kGaussRules = 5;       // capacity of the rule table
inline constexpr int kGaussRulesRead = 3;   // rules read and used
inline constexpr int kGaussMaxOrder = 10;   // nodes per rule

// Abscissae or weights of all rules: node j of rule i at (j-1) + (i-1)*10.
using GaussNodeTable = std::array<float, kGaussMaxOrder * kGaussRules>;
// Order N(i) of rule i at element i-1.
using GaussOrderTable = std::array<int, kGaussRules>;

inline float gauss_at(const GaussNodeTable& table, int node, int rule) {
  return table[(node - 1) + (rule - 1) * kGaussMaxOrder];
}

}  // namespace kestral
