#include "multilayer/bessel.h"

#include <array>
#include <boost/math/special_functions/detail/bessel_j0.hpp>
#include <boost/math/special_functions/detail/bessel_j1.hpp>
#include <cmath>
#include <numbers>

namespace kestral::multilayer {

double bessel_j0(double x) { return boost::math::detail::bessel_j0(x); }
double bessel_j1(double x) { return boost::math::detail::bessel_j1(x); }

namespace {

constexpr double kAsymptoticFrom = 20.0;
constexpr std::size_t kTerms = 14;

// Hankel's coefficients a_k(nu) = prod_{j=1..k} (4 nu^2 - (2j - 1)^2) / (k! 8^k),
// signed and split into those of P = sum (-1)^k a_2k / x^2k and of
// Q = sum (-1)^k a_2k+1 / x^(2k+1) (Abramowitz and Stegun 9.2.9, 9.2.10).
struct Series {
  std::array<double, kTerms> p{}, q{};
};

constexpr Series series(double nu) {
  Series s;
  double a = 1.0;
  for (std::size_t k = 0; k < 2 * kTerms; ++k) {
    const double sign = (k / 2) % 2 == 0 ? 1.0 : -1.0;
    if (k % 2 == 0) {
      s.p[k / 2] = sign * a;
    } else {
      s.q[k / 2] = sign * a;
    }
    const double odd = static_cast<double>(2 * k + 1);
    a *= (4.0 * nu * nu - odd * odd) / (8.0 * static_cast<double>(k + 1));
  }
  return s;
}

constexpr Series kOrder0 = series(0.0);
constexpr Series kOrder1 = series(1.0);

double horner(const std::array<double, kTerms>& c, double y) {
  double sum = c[kTerms - 1];
  for (std::size_t k = kTerms - 1; k-- > 0;) sum = sum * y + c[k];
  return sum;
}

}  // namespace

BesselPair bessel_j0_j1(double x) {
  if (x < kAsymptoticFrom) return {bessel_j0(x), bessel_j1(x)};
  const double inverse = 1.0 / x;
  const double y = inverse * inverse;
  const double p0 = horner(kOrder0.p, y), q0 = horner(kOrder0.q, y) * inverse;
  const double p1 = horner(kOrder1.p, y), q1 = horner(kOrder1.q, y) * inverse;
  const double s = std::sin(x);
  const double c = std::cos(x);
  // sqrt(2 / (pi x)) with cos, sin of x - pi/4 and x - 3 pi/4 written in
  // those of x: each carries a factor 1 / sqrt(2).
  const double factor = 1.0 / std::sqrt(std::numbers::pi * x);
  return {factor * (p0 * (c + s) - q0 * (s - c)), factor * (p1 * (s - c) + q1 * (s + c))};
}

}  // namespace kestral::multilayer
