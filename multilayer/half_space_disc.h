// The homogeneous half-space under a uniform circular load: the Hankel
// integrals of its kernels, which the engine subtracts near the surface and
// adds back here.
//
// Method: the Lipschitz-Hankel integrals int_0^inf e^{-mz} m^k J1(ma) Jn(mr) dm
// (k = -1, 0, 1; n = 0, 1, 2) are reduced by Neumann's addition theorem,
// J0(ma) J0(mr) = (1/pi) int_0^pi J0(mR) dphi, R^2 = a^2 + r^2 - 2ar cos phi,
// and the elementary Laplace transforms of J0(mR) and J1(mR), to integrals over
// phi in [0, pi] of algebraic functions of R and S = sqrt(R^2 + z^2) (the same
// integrals that give the classical elliptic-integral forms). The integrands
// are bounded and smooth except for a peak of width
// eps = sqrt(((a - r)^2 + z^2) / (a r)) at phi = 0, near the loaded edge;
// Gauss-Legendre panels graded geometrically towards phi = 0 from width eps
// resolve it, so the cost grows only like log(1 / eps). Forms integrated by
// parts carry the factor r explicitly, so that nothing cancels near the axis.
//
// At z = 0 exactly the terms z F1, z G0, z G1, z H1 are 0, and at the edge
// (r = a) the integrands stay bounded: the value is the mean of the two sides.
//
// Accuracy (measured, half_space_disc_test): within 2e-15 of the scale (1 / a
// for the stress integrals) against Boussinesq's closed forms on the axis and
// at the surface, and against a brute-force Hankel quadrature off the axis.
#pragma once

#include "multilayer/layer_response.h"

namespace kestral::multilayer {

// int_0^inf e^{-mz} m^k J1(ma) Jn(mr) dm; f: n = 0, g: n = 1, h: n = 2; the
// suffix is k (m1 = -1). f1, g0, g1, h1 are returned multiplied by z.
struct DiscIntegrals {
  double f_m1 = 0, f0 = 0, z_f1 = 0;
  double g_m1 = 0, z_g0 = 0, z_g1 = 0;
  double h0 = 0, z_h1 = 0;
};

// r >= 0, z >= 0, a > 0, all finite (any consistent length unit).
DiscIntegrals disc_integrals(double r, double z, double a);

// The six integrals int_0^inf K(m, z) J1(ma) B(mr) dm of the half-space kernels
// K (half_space_mode_values) with their Bessel factors B (layer_response.h):
// multiplied by q a, the half-space's response to the load.
ModeValues half_space_disc_response(double r, double z, double a, double poisson,
                                    double shear_modulus);

}  // namespace kestral::multilayer
