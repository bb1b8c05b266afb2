// The six Hankel integrals of one point under one load, with their errors.
//
// Method: int_0^inf K(m, z) J1(m a) B(m r) dm for the six kernels K of
// layer_response.h. For a point in the top layer the kernel of the
// homogeneous half-space of the top layer (same z) is subtracted and its
// integral added in closed form (half_space_disc.h): the remainder then
// decays like e^{-m (2 h1 - z)} instead of e^{-m z}, so that no point at or
// near the surface needs the slowly converging tail (and a one-layer section
// needs no quadrature at all). The remainder (or, below the top layer, the
// kernel, decaying like e^{-m z}) is integrated over panels of the dyadic
// family of node_cache.h no wider than a period of the fastest oscillation,
// 2 pi / (r + a), nor than 6 / (decay length) (w or 1.5 w, w the largest
// power of 2 within both; both twice as wide at a tolerance of 1e-6 or more,
// where the 10-point Gauss rule still resolves two periods); the first panel is graded geometrically towards
// m = 0 down to 1 / (4 H), H the depth of the deepest interface (panels
// growing by 8 while they end below 2 / H, by 4 above), and further until
// the first panel agrees with the sum of its halves and the lower half's
// estimate lies below a tenth of the tolerance (a stiff plate on soft ground
// varies on a much longer length than H: its radius of relative stiffness;
// refining there alone spares the whole integration being repeated on
// halved panels, 8 times the nodes on such a section). Each panel is integrated by the 21-point Kronrod rule with
// QUADPACK's estimate of its error from the embedded 10-point Gauss rule.
// The kernels at a panel's nodes depend on the point's place only, and are
// kept per place (node_cache.h): the points of a profile at one depth, and
// the loads of a point, pay only their Bessel factors.
//
// Stop test (after each panel once m times the decay length reaches 8): for
// every kernel, the envelope bound of the tail, 2 max|f| / decay, plus the
// last panel's contribution lies below a quarter of the tolerance. Panels
// narrowed by a cap (widest_cap below) take max|f| and the contribution over
// the last panels spanning the point's own width: one narrow panel may lie
// between zeros of J(m r) and miss the envelope (load_integrals_test). If the
// summed error estimate still exceeds the tolerance the integration is
// repeated on panels half as wide (at most three times, and only while it
// took fewer than 2 000 panels). The work grows like the offset over the
// decay length (r / h1 at the surface): a point beyond 20 000 panels (420 000
// nodes, about a second) stops there, its tail bound counted in its error.
//
// The returned error is the sum of the panel estimates, the tail bound and
// the closed form's rounding: measured against converged values it bounds
// the actual error (load_integrals_test, analysis_accuracy_test).
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

#include "multilayer/layer_response.h"
#include "multilayer/node_cache.h"

namespace kestral::multilayer {

// Where a point lies, in working units (scaled_section.h).
struct PointPlace {
  std::size_t layer = 0;
  double z = 0;  // depth
  double s = 0;  // below the layer's top face
  double t = 0;  // above its bottom face (unused in the half-space)
};

struct LoadIntegrals {
  ModeValues value;
  ModeValues error;  // absolute error estimate of each integral
  std::size_t panels = 0;
  // When the cache solves derivatives: d value / d E_l (scaled modulus) for
  // every layer l, on the panels the values were accepted on (no estimate).
  std::vector<ModeValues> derivative;
};

// The kernels of the stresses (sigma_z, sum, difference, tau_rz) and of the
// displacements (u_r, u_z), as bits of integrate_load's `kernels`.
inline constexpr unsigned kStressKernels = 0x0f;
inline constexpr unsigned kDisplacementKernels = 0x30;

// r >= 0: horizontal distance from the load's centre; radius_index: the
// load's radius in the cache; tolerance: absolute, per integral; kernels: the
// integrals whose tolerance the stop tests check (the others come out as
// the panels chosen for these give them, their estimates still honest).
// widest_cap: the panels are no wider than this either (a point of a
// prepared geometry takes the narrowest width any of its rows needs, so that
// every row meets the same nodes); +inf, the default, leaves the point's own
// width and the bits of plain analyse().
LoadIntegrals integrate_load(NodeCache& cache, const ScaledSection& section, const PointPlace& place,
                             double r, std::size_t radius_index, double radius, double tolerance,
                             unsigned kernels = kStressKernels | kDisplacementKernels,
                             double widest_cap = std::numeric_limits<double>::infinity());

// The widest panel integrate_load chooses on its own for this point and load:
// min(2 pi / (r + a), 6 / decay length); +inf when no quadrature is needed (a
// point in a one-layer section).
double widest_panel(const ScaledSection& section, const PointPlace& place, double r, double radius);

}  // namespace kestral::multilayer
