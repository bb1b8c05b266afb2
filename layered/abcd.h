#pragma once

#include "layered/layer_tables.h"

namespace kestral {

// ABCD: the integration constants A, B, C, D of every layer for one value of
// the Hankel parameter m.
//
// Method: the two surface conditions (m*S = 1, T = 0) and four continuity
// conditions per bonded interface (S, T, W, U, each multiplied by
// exp(-m*lambda_i)) form one dense system of order 4*NL - 2, solved by MATIN.
// The system is formed and solved in double precision: for small m it is
// badly conditioned and a single-precision elimination loses the constants.
// Only the unpacked A, B, C, D are rounded to single precision.
//
// Arguments (all by reference):
//   m      in   Hankel parameter, > 0 (m = 0 makes the system singular).
//   Mu     in   Poisson's ratios of layers 1..NL.
//   E      in   moduli of layers 1..NL, MPa.
//   NL     in   number of layers, half-space included, 2..5.
//   H      in   thicknesses of layers 1..NL-1, mm.
//   a      in   contact radius, mm (the unit of length).
//   A..D   out  constants of layers 1..NL; A(NL) = C(NL) = 0 always.
//   IBOND  in   interface condition; 2 = fully bonded, the only one written.
//
// Not checked: NL in 2..5, m > 0, positive moduli and thicknesses; the
// driver validates the problem before any call. Work storage is fixed and
// per thread; nothing is allocated per call.
void ABCD(const float& m, const LayerTable& Mu, const LayerTable& E, const int& NL,
          const LayerTable& H, const float& a, ConstantsTable& A, ConstantsTable& B,
          ConstantsTable& C, ConstantsTable& D, const int& IBOND);

}  // namespace kestral
