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
// at the last node of each interval. At every node ABCD gives the layer
// constants, BESS the Bessel factors. Stresses and the displacement follow
// from the integrals, the strains from Hooke's law.
//
// Arguments (all by reference; 1 to 14 read only):
//   Z, R        depth (>= 0) and radial offset (>= 0) of the point, mm.
//   L           layer of the point, 1..n.
//   n, E, Mu, H the layer system (passed on to ABCD).
//   a, q        contact radius (> 0, mm) and tyre pressure (MPa).
//   x, w, N     the Gauss rules (rules 1-3 used, orders 1..10).
//   IBOND       interface condition, passed on to ABCD.
//   K           result row to fill, 1..200.
//   results     row K receives Z, R, SigmaZ, SigmaT, SigmaR, TaoRZ, DispZ,
//               epZ, epT, epR; no other row is touched.
//   console     receives the five lines of SigmaZ, SigmaT, SigmaR, DispZ,
//               TaoRZ of this call.
//
// Not checked: the ranges above; the driver validates the problem first.
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
