#pragma once

#include <iosfwd>

#include "hankel/quadrature_table.h"
#include "hankel/result_table.h"
#include "layered/constants_store.h"
#include "layered/layer_tables.h"

namespace kestral {

// FINAL: the whole response at one evaluation point.
//
// Method: seven Hankel integrals over m, each by Gauss quadrature over the
// chain of intervals between consecutive Bessel zeros and their midpoints
// (ROOTS), rule 1 on intervals 1-2, rule 2 on 3-4, rule 3 beyond; truncated
// when zeta*m >= 7 or, within 0.045 a of the surface, when m >= 150, judged
// at the last node of each interval (truncation.h). At every node ABCD gives
// the layer constants, BESS the Bessel factors. Stresses and the
// displacement follow from the integrals, the strains from Hooke's law with
// the point's layer's E and Mu. No tail correction is added.
//
// Arguments (all by reference):
//   Z, R     in   depth (>= 0) and radial offset (>= 0) of the point, mm.
//   L        in   layer of the point, 1..n (at an interface the caller
//                 passes the upper layer, then the lower in a second call).
//   n        in   number of layers, 2..5 (kMinLayers..kMaxLayers).
//   E, Mu, H in   moduli (MPa), Poisson's ratios of layers 1..n and
//                 thicknesses (mm) of layers 1..n-1; E(L) != 0.
//   a, q     in   contact radius (> 0, mm) and tyre pressure (MPa).
//   x, w, N  in   the Gauss rule table: rules 1-3 used, orders 1..10.
//   IBOND    in   interface condition, passed on to ABCD.
//   K        in   result row to fill, 1..kResultRows (200).
//   results  out  row K receives Z, R, SigmaZ, SigmaT, SigmaR, TaoRZ, DispZ,
//                 epZ, epT, epR; no other row is touched.
//   console  out  receives the five lines of SigmaZ, SigmaT, SigmaR, DispZ,
//                 TaoRZ of this call.
// An n, L, K or order N(1..3) outside its range returns at once, writing
// neither the table nor the console (no table is indexed beyond capacity).
//
// Accuracy, against the closed-form Boussinesq half-space on the load axis
// (equal layers, nu 0.25 to 0.5, ten-point rules, the 0.56 MPa, 106.6 mm
// load): SigmaZ, SigmaR and SigmaT within 1.3e-3 q from 0.05 to 50 radii
// deep (the truncation at exp(-7) and the quadrature), DispZ within 1.1e-3
// of its value down to 20 radii, 1.5e-2 at 50 (one rule on the first
// interval); TaoRZ exactly 0 on the axis. At the surface centre SigmaZ
// within 7e-5 q of -q here; in general it may miss by up to 6.5 % of q, the
// amplitude of J0 where the integration stops (M near 150), and DispZ is
// within 5e-6 of its value, 2(1 - nu^2) q a / E, relative.
//
// Not checked: the signs and sizes of Z, R, a and the layer system; the
// driver validates the problem before any call.
void FINAL(const float& Z, const float& R, const int& L, const int& n, const LayerTable& E,
           const LayerTable& Mu, const LayerTable& H, const float& a, const float& q,
           const GaussNodeTable& x, const GaussNodeTable& w, const GaussOrderTable& N,
           const int& IBOND, const int& K, ResultTable& results, std::ostream& console);

// FINAL with the run's store of solved constants, handed to ABCD at every
// node: the same results and console lines, bit for bit, with every m the
// run has met before served from `store` (in/out) instead of solved again.
void FINAL(const float& Z, const float& R, const int& L, const int& n, const LayerTable& E,
           const LayerTable& Mu, const LayerTable& H, const float& a, const float& q,
           const GaussNodeTable& x, const GaussNodeTable& w, const GaussOrderTable& N,
           const int& IBOND, const int& K, ResultTable& results, std::ostream& console,
           ConstantsStore& store);

}  // namespace kestral
