// J0 and J1 of a real argument, for the Hankel integrands.
//
// Boost.Math's kernels bessel_j0 / bessel_j1 (rational approximations of
// Hart and of Nist, accurate to a few DBL_EPSILON, measured within 5e-14 of
// std::cyl_bessel_j on [0, 200]) called directly: the public
// boost::math::cyl_bessel_j(0, x) reaches the same kernels through an order
// dispatch and policy checks that cost about nine times the kernel itself
// (700 ns against 80 ns per value, measured on the build machine), and the
// Bessel factors are most of the work per quadrature node.
//
// bessel_j0_j1() gives both at once, as a point's nodes need them. From
// x = 20 on it sums Hankel's asymptotic series P, Q of both orders itself
// (14 terms each in 1 / x^2: the first term left out is below 1e-17 at
// x = 20) and shares one sin, cos and square root between them, where the
// two Boost kernels evaluate their own rational forms and sin, cos each:
// a map of points under 8 wheels (most nodes beyond x = 20) takes 21 % fewer
// instructions (callgrind). Below 20, Boost's kernels. Measured as close to
// std::cyl_bessel_j as Boost's kernels are (within 4 DBL_EPSILON of their
// difference; both carry the phase's rounding, about x DBL_EPSILON / 2),
// bessel_test.
#pragma once

namespace kestral::multilayer {

double bessel_j0(double x);
double bessel_j1(double x);

struct BesselPair {
  double j0 = 1.0, j1 = 0.0;
};
// x >= 0 and finite.
BesselPair bessel_j0_j1(double x);

}  // namespace kestral::multilayer
