// The quadrature rules read from gauss.qua must be Gauss-Legendre rules.
#pragma once

#include <string>

#include "driver/problem_input.h"

namespace kestral {

// Relative tolerance on a node or weight of an even-order rule: accepts
// values printed with five significant digits (a rounding error of at most
// 5e-5 of the value), refuses a slipped digit or a wrong rule.
inline constexpr double kGaussRuleTolerance = 1e-4;

// Refuses (InputError, one line naming the file, the rule, the node and
// the value expected):
// - a rule of order 1, which reads no node and so has no weight at all:
//   every integral would come out 0;
// - an even-order rule whose abscissae and weights, as completed by
//   symmetry, are not those of the Gauss-Legendre rule of its order to
//   within kGaussRuleTolerance. The given half may be the negative or the
//   positive one, in ascending or descending order.
// Odd orders above 1 are not checked: their middle node keeps weight 0.
void check_gauss_legendre_rules(const GaussRules& rules, const std::string& file_name);

}  // namespace kestral
