#pragma once

#include "layered/constants_store.h"
#include "layered/layer_tables.h"

namespace kestral {

// ABCD: the integration constants A, B, C, D of every layer for one value of
// the Hankel parameter m.
//
// Method: the two surface conditions (m*S = 1, T = 0) and four continuity
// conditions per bonded interface (S, T, W, U, each multiplied by
// exp(-m*lambda_i), so that B and D carry F_i = exp(-2 m lambda_i), clamped
// at exp(-85); see decay_factor.h) form one dense system of order 4*NL - 2,
// solved by solve_like_matin: MATIN's Gauss-Jordan elimination with its
// pivots and operations, less the inverse, which no constant depends on, so
// the solution is MATIN's bit for bit, three times sooner (see
// gauss_jordan_solution.h). The system is formed and solved in double
// precision: for small m it is badly conditioned and a single-precision
// elimination loses the constants (9e-6 of the largest constant for a
// five-layer section at m = 0.05, where A and B of the top layer nearly
// cancel). Only the unpacked A, B, C, D are rounded to single precision.
//
// Arguments (all by reference):
//   m      in   Hankel parameter, > 0 (m = 0 makes the system singular).
//   Mu     in   Poisson's ratios of layers 1..NL.
//   E      in   moduli of layers 1..NL, MPa.
//   NL     in   number of layers, half-space included, 2..5; any other value
//               returns at once with A..D untouched.
//   H      in   thicknesses of layers 1..NL-1, mm.
//   a      in   contact radius, mm (the unit of length).
//   A..D   out  constants of layers 1..NL; A(NL) = C(NL) = 0 exactly; entries
//               beyond NL are not touched.
//   IBOND  in   interface condition; 2 = fully bonded, the only one the
//               driver passes. Every value writes the same bonded system.
//
// Accuracy, against a long-double solve of the same system (NL 2..5,
// modulus ratios 10 to 100, m 0.01..150): every term A e^{m zeta},
// B e^{-m zeta}, C e^{m zeta}, D e^{-m zeta} at depths with m*zeta <= 20 is
// within 0.6 FLT_EPSILON of the largest such term (the scale of the top
// layer's constants): the constants are the exact ones rounded once. The
// surface and interface conditions hold to that rounding. The elimination
// leaves an absolute error near DBL_EPSILON of that scale in every
// constant, which the exponentials magnify: beyond m*zeta ~ 20 the terms
// degrade (1e-5 of the scale at 25, 1e-3 at 30), i.e. at the top of a
// layer lying deep for this m, or for the growing terms deep in a thick
// layer. The integration's stop test keeps m*zeta near 7, and below 20 at
// every node for points less than about 10 radii deep.
//
// Not checked: m > 0, positive moduli and thicknesses; the driver validates
// the problem before any call. A constant beyond the float range (only for m
// so small that the system is singular in practice) comes back infinite.
// Work storage (a 350-row, 18-column matrix at leading dimension 350 and a
// 350-entry right-hand side) is fixed and per thread, so calls in different
// threads are independent; it never carries a result from one call to the
// next, and nothing is allocated per call.
void ABCD(const float& m, const LayerTable& Mu, const LayerTable& E, const int& NL,
          const LayerTable& H, const float& a, ConstantsTable& A, ConstantsTable& B,
          ConstantsTable& C, ConstantsTable& D, const int& IBOND);

// ABCD through a run's store of solved constants: the constants of this m
// and this layer system (every argument above but the outputs) come from
// `store` when it holds them, and are solved as above and kept there
// otherwise. The outputs are bit for bit those of the plain solve.
//   store  in/out  the run's store; it starts serving this system (and is
//                  emptied) if it served another.
void ABCD(const float& m, const LayerTable& Mu, const LayerTable& E, const int& NL,
          const LayerTable& H, const float& a, ConstantsTable& A, ConstantsTable& B,
          ConstantsTable& C, ConstantsTable& D, const int& IBOND, ConstantsStore& store);

}  // namespace kestral
