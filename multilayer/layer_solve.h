// The constants c1..c4 of every layer for one Hankel parameter m.
//
// Method: the surface conditions (sigma_z = -1, tau_rz = 0 for the unit mode
// J0(m r)) and four conditions per interface, with every exponential referred
// to its own layer face (layer_response.h), so that no entry exceeds 1 in
// magnitude however deep or thick the layers. Interface rows:
//   bonded        sigma_z, tau_rz, u_r, u_z continuous;
//   frictionless  sigma_z, u_z continuous, tau_rz = 0 on both faces;
//   spring        sigma_z, u_z, tau_rz continuous and
//                 tau_rz = k (u_r below - u_r above).
// They are solved by a recursion over the layers instead of one banded
// system of order 4n - 2 (a third of the instructions, measured): from the
// half-space up, each layer's (c3, c4) = R_i (c1, c2) and the next layer's
// (c1, c2) = T_i (c1, c2), both 2 x 2, come from one 4 x 4 system of the
// interface rows (R of the half-space is 0); the surface rows then give
// (c1, c2) of the top layer, and R, T carry them down. Every 4 x 4 system
// pairs a face's own unit exponentials (the lower face of the layer above,
// the upper face of the layer below), so it stays well conditioned however
// thick the layers; its rows are scaled to a largest entry of 1 and solved
// by LU with partial pivoting (small_lu.h).
//
// Arguments:
//   section    in   scaled, validated section of n >= 1 layers.
//   m          in   Hankel parameter in units of 1 / a_max, > 0 and finite.
//   constants  out  4n entries, layer i at 4i..4i+3; the half-space's c3, c4
//                   are exactly 0.
// Accuracy (measured, layer_solve_test): the boundary and interface conditions
// rebuilt from the constants hold to a few DBL_EPSILON of the largest term for
// m a from 1e-4 to 1e3 and layers from 0.01 to 1000 radii thick; the
// conditioning of the rows does not grow with depth, only (like
// 1 / (m h)^2) for layers much thinner than the mode's wavelength.
#pragma once

#include <vector>

#include "multilayer/scaled_section.h"

namespace kestral::multilayer {

void solve_layer_constants(const ScaledSection& section, double m, std::vector<double>& constants);

// The same constants (the same bits) and their derivatives by every layer's
// scaled modulus from the same factorisations: the recursion differentiated
// forwards, dX_i = G_i^-1 (dF_i - dG_i X_i) with the kept LU of each G_i (the
// rows of layer l's faces move by -(their displacement part) / E_l).
//   derivatives  out  n * 4n entries: d constants / d E_l at [l * 4n ..].
void solve_layer_constants_and_derivatives(const ScaledSection& section, double m, std::vector<double>& constants,
                                           std::vector<double>& derivatives);

}  // namespace kestral::multilayer
