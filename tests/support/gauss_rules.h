// The ten-point Gauss-Legendre rule the tests and benchmarks integrate with.
#pragma once

#include <array>
#include <string>

#include "hankel/quadrature_table.h"

namespace kestral::testing {

// The negative half of the ten-point rule, to ten digits, as the shipped
// example's gauss.qua gives it.
inline constexpr std::array<float, 5> kTenPointHalfAbscissae{
    -0.9739065285f, -0.8650633667f, -0.6794095683f, -0.4333953941f, -0.1488743390f};
inline constexpr std::array<float, 5> kTenPointHalfWeights{
    0.0666713443f, 0.1494513492f, 0.2190863625f, 0.2692667193f, 0.2955242247f};

// The rule table FINAL takes: the ten-point rule, completed by symmetry, in
// rule slots 1 to 3.
struct RuleTables {
  GaussNodeTable x{};
  GaussNodeTable w{};
  GaussOrderTable N{};
};
RuleTables ten_point_rule_tables();

// A gauss.qua of three ten-point rules, negative half first.
std::string ten_point_rule_file();

}  // namespace kestral::testing
