#include "tests/support/gauss_rules.h"

#include <cstddef>

namespace kestral::testing {

RuleTables ten_point_rule_tables() {
  RuleTables rules;
  for (int rule = 0; rule < kGaussRulesRead; ++rule) {
    rules.N[static_cast<std::size_t>(rule)] = kGaussMaxOrder;
    for (std::size_t j = 0; j < kTenPointHalfAbscissae.size(); ++j) {
      const auto first = static_cast<std::size_t>(rule * kGaussMaxOrder) + j;
      const auto mirror = static_cast<std::size_t>(rule * kGaussMaxOrder + kGaussMaxOrder - 1) - j;
      rules.x[first] = kTenPointHalfAbscissae[j];
      rules.w[first] = kTenPointHalfWeights[j];
      rules.x[mirror] = -kTenPointHalfAbscissae[j];
      rules.w[mirror] = kTenPointHalfWeights[j];
    }
  }
  return rules;
}

std::string ten_point_rule_file() {
  const std::string rule =
      "10\n-0.9739065285 0.0666713443\n-0.8650633667 0.1494513492\n-0.6794095683 0.2190863625\n"
      "-0.4333953941 0.2692667193\n-0.1488743390 0.2955242247\n";
  return rule + rule + rule;
}

}  // namespace kestral::testing
