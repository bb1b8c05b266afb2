// The 21-point Gauss-Kronrod rule with its embedded 10-point Gauss rule, on
// [-1, 1], nodes ascending (Boost.Math's tables). Chosen over 15/7 by
// measurement: panels a whole period of the integrand's oscillation wide (or
// 6 decay lengths) keep QUADPACK's estimate below 1e-10 of the panel, so a
// point needs 21 nodes per period instead of 30.
#pragma once

#include <array>

namespace kestral::multilayer {

inline constexpr int kKronrodNodes = 21;
inline constexpr int kGaussNodes = 10;

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
