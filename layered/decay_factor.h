// Decay factor of one interface of the layer system (internal to ABCD, exposed
// for its test).
#pragma once

#include <cmath>

namespace kestral {

// Largest exponent 2*m*lambda used as it stands; exp(-85) = 1.2160993e-37 is
// still a normal single-precision number, so a factor is never zero.
inline constexpr double kDecayExponentLimit = 85.0;

// decay_factor: F = exp(-2*m*lambda), the factor that the B and D terms carry
// when an interface condition is multiplied by exp(-m*lambda).
//   m       in  Hankel parameter (> 0).
//   lambda  in  depth of the interface in units of the contact radius (> 0).
// Returns exp(-85) exactly when 2*m*lambda > 85 (strictly), else
// exp(-2*m*lambda). Evaluated in double; one call of exp.
inline double decay_factor(const double& m, const double& lambda) {
  const double exponent = 2.0 * m * lambda;
  return std::exp(-(exponent > kDecayExponentLimit ? kDecayExponentLimit : exponent));
}

}  // namespace kestral
