#include "driver/gauss_rule_check.h"

#include <boost/math/special_functions/legendre.hpp>

#include <cmath>
#include <cstdio>
#include <vector>

#include "driver/free_format_reader.h"
#include "format/shortest_text.h"

namespace kestral {
namespace {

struct Node {
  double x;  // positive abscissa
  double w;
};

// The positive half of the Gauss-Legendre rule of even order n, ascending:
// the zeros of P_n and the weights 2 / ((1 - x^2) P_n'(x)^2).
std::vector<Node> gauss_legendre_half(int n) {
  std::vector<Node> half;
  for (const double x : boost::math::legendre_p_zeros<double>(n)) {
    const double slope = boost::math::legendre_p_prime(n, x);
    half.push_back({x, 2.0 / ((1.0 - x * x) * slope * slope)});
  }
  return half;
}

std::string ten_decimals(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10f", value);
  return buffer;
}

bool agrees(double given, double expected) {
  return std::fabs(given - expected) <= kGaussRuleTolerance * std::fabs(expected);
}

}  // namespace

void check_gauss_legendre_rules(const GaussRules& rules, const std::string& file_name) {
  for (int rule = 1; rule <= kGaussRulesRead; ++rule) {
    const int order = rules.N[rule - 1];
    const std::string which = " of rule " + std::to_string(rule);
    if (order == 1) {
      throw InputError(file_name + ": order" + which +
                       " is 1, which reads no node and has no weight: every integral would be 0");
    }
    if (order % 2 != 0) continue;

    const std::vector<Node> half = gauss_legendre_half(order);
    const int pairs = order / 2;
    const int base = (rule - 1) * kGaussMaxOrder;
    // The given half may run outward (0.1488 first) or inward (0.9739
    // first); compare in the order its first and last node suggest.
    const double first = std::fabs(static_cast<double>(rules.x[base]));
    const double last = std::fabs(static_cast<double>(rules.x[base + pairs - 1]));
    const bool outward = first <= last;
    for (int j = 1; j <= pairs; ++j) {
      const Node& expected = half[static_cast<std::size_t>(outward ? j - 1 : pairs - j)];
      const double x = rules.x[base + j - 1];
      const double w = rules.w[base + j - 1];
      const std::string of_order = ", not that of the Gauss-Legendre rule of order " +
                                   std::to_string(order) + " (expected ";
      if (!agrees(std::fabs(x), expected.x)) {
        throw InputError(file_name + ": abscissa " + std::to_string(j) + which + " is " +
                         shortest_text(rules.x[base + j - 1]) + of_order +
                         ten_decimals(std::copysign(expected.x, x)) + ")");
      }
      if (!agrees(w, expected.w)) {
        throw InputError(file_name + ": weight " + std::to_string(j) + which + " is " +
                         shortest_text(rules.w[base + j - 1]) + of_order +
                         ten_decimals(expected.w) + ")");
      }
    }
  }
}

}  // namespace kestral
