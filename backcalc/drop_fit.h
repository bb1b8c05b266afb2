// The fit of one drop: the layer moduli that reproduce its bowl.
//
// Problem: minimise S(x) = sum_i r_i(x)^2, r_i = (d_calc_i - d_meas_i) /
// d_meas_i, over x_k = ln E_k of the searched layers, within ln min_k <= x_k
// <= ln max_k. Relative misfits weigh the far sensors (small deflections,
// the subgrade's) like the near ones; log-moduli make the problem far better
// scaled than moduli (a deflection is close to a power of each modulus) and
// keep every trial modulus positive.
//
// Method: Ceres Solver's trust-region minimiser with the Levenberg-Marquardt
// strategy (dense QR: a few parameters, a handful of residuals), with the
// bounds as Ceres's parameter bounds (steps projected onto the box). Chosen
// over Dogleg and line search because LM is the standard robust method for
// small, mildly ill-conditioned least-squares problems, and Ceres supports
// bounds only with trust regions. One thread per fit: the drops run in
// parallel, and a single-threaded dense fit is deterministic, so the result
// of a drop never depends on the thread count.
//
// Reported: the moduli where Ceres stops; rms_percent = 100 sqrt(S / n)
// and the fitted bowl from a final engine evaluation at those moduli.
// Range of a searched modulus k: with J the Jacobian of r with respect to x
// at the reported moduli and the misfit's growth allowed by the measurement
// noise sigma, dS = sum_i (sigma / d_meas_i)^2 (every sensor off by one
// sigma), the quadratic model S(x* + h) ~ S(x*) + h' J'J h lets x_k move by
// delta_k = sqrt(dS [(J'J)^-1]_kk) while the other searched moduli adjust to
// keep S as small as they can; range_percent_k = 100 (exp(delta_k) - 1), so
// that E_k / f to E_k f (f = 1 + range / 100) fits the bowl within its
// noise. delta_k is capped at ln(max_k / min_k) (no direction the bowl does
// not see gives more than the bounds' span). Fixed moduli: 0.
//
// Status: "poor_fit" when rms_percent exceeds the survey's max_rms_percent
// (the layer model does not suit the bowl: the moduli say little, whatever
// the bounds); else "at_bound:<layer>[+<layer>]" when a searched modulus
// ends on a bound; else "converged". A drop whose misfit is not a finite
// number at the seed (a bowl out of scale with its load by hundreds of
// orders) fails, "failed:misfit", rather than report an infinite misfit.
#pragma once

#include <string>
#include <vector>

#include "backcalc/bowl_model.h"
#include "backcalc/survey.h"

namespace kestral::backcalc {

inline constexpr int kMaxFitIterations = 100;

struct DropFit {
  bool fitted = false;              // moduli, ranges, misfit and bowl hold values
  std::string status;               // "converged", "at_bound:<layer>[+<layer>]", "poor_fit", "failed:<reason>"
  std::string message;              // for a failure: what went wrong, one line
  std::vector<double> moduli;       // MPa, one per layer
  std::vector<double> range_percent;// one per layer
  double rms_percent = 0.0;
  int iterations = 0;
  std::vector<double> fit;          // mm, one per sensor, under the drop's load
};

// Never throws (but std::bad_alloc): a drop with a fault, an engine failure
// or a search that does not converge gives a failed DropFit.
DropFit fit_drop(const BowlModel& model, const Survey& survey, const Drop& drop);

}  // namespace kestral::backcalc
