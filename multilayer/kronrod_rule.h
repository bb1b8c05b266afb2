// The 15-point Gauss-Kronrod rule with its embedded 7-point Gauss rule, on
// [-1, 1], nodes ascending (Boost.Math's tables).
#pragma once

#include <array>

namespace kestral::multilayer {

inline constexpr int kKronrodNodes = 15;

struct KronrodRule {
  std::array<double, kKronrodNodes> node{};
  std::array<double, kKronrodNodes> kronrod_weight{};
  std::array<double, kKronrodNodes> gauss_weight{};  // 0 at the Kronrod-only nodes
};

const KronrodRule& kronrod_rule();

// QUADPACK's error estimate of a panel from the two rule results and the
// integral of |f - mean|: |K - G| scaled by (200 |K - G| / resasc)^1.5,
// never below 50 DBL_EPSILON times the integral of |f|.
double kronrod_error(double kronrod, double gauss, double resasc, double resabs);

}  // namespace kestral::multilayer
