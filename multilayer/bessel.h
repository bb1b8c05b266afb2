// J0 and J1 of a real argument, for the Hankel integrands.
//
// Boost.Math's kernels bessel_j0 / bessel_j1 (rational approximations of
// Hart and of Nist, accurate to a few DBL_EPSILON, measured within 5e-14 of
// std::cyl_bessel_j on [0, 200]) called directly: the public
// boost::math::cyl_bessel_j(0, x) reaches the same kernels through an order
// dispatch and policy checks that cost about nine times the kernel itself
// (700 ns against 80 ns per value, measured on the build machine), and the
// Bessel factors are most of the work per quadrature node.
#pragma once

namespace kestral::multilayer {

double bessel_j0(double x);
double bessel_j1(double x);

}  // namespace kestral::multilayer
