// The layer model of a survey as the fit sees it: the surface deflections
// under the FWD plate for given layer moduli, and their slopes with respect
// to the logarithms of the searched moduli. The one place the fit meets the
// engine.
//
// Method: the engine at the sensors (surface points on the line through the
// plate centre) under a uniform pressure of 1 MPa on the plate, through a
// multilayer::PreparedGeometry, which keeps what does not depend on the
// layers from one set of moduli to the next (same bits as analyse());
// a drop's bowl is this one times its pressure (the model is linear in the
// load). Slopes by forward differences in ln E with step kLogStep, one
// engine run per searched modulus beyond the deflections themselves:
// truncation error about kLogStep / 2 of the second derivative (5e-4
// relative), rounding error about tolerance / kLogStep (1e-3 relative at
// the default tolerance 1e-6); when every modulus is searched and no
// interface is a spring, the last slope comes free from the others (the
// deflections scale as 1 / E when all moduli scale together). The fit's result depends on the deflections,
// not on the slopes, which only steer the search and size the ranges, so
// this accuracy serves; central differences cost twice as much.
//
// Thread-safe: const members only; one model serves every thread (the
// prepared geometry shares what it keeps under its own lock).
#pragma once

#include <cstddef>
#include <vector>

#include "multilayer/analysis.h"

namespace kestral::backcalc {

class BowlModel {
 public:
  // `section`: thicknesses, Poisson's ratios and interfaces (moduli
  // replaced at each call); `plate_radius` and `sensors` (offsets) in mm;
  // `tolerance` asked of the engine.
  BowlModel(multilayer::Section section, double plate_radius, std::vector<double> sensors, double tolerance);

  std::size_t sensors() const { return geometry_.points().size(); }

  // Deflections (mm) at the sensors under 1 MPa on the plate, for the
  // moduli (MPa) of every layer. Throws multilayer::InvalidProblem when the
  // engine refuses the section or gives a value that is not finite.
  std::vector<double> deflections(const std::vector<double>& moduli) const;

  // The same, and slopes[j][i] = d deflection_i / d ln E_searched[j].
  // `known`, when given, holds deflections(moduli) already computed.
  std::vector<double> deflections_and_slopes(const std::vector<double>& moduli,
                                             const std::vector<std::size_t>& searched,
                                             std::vector<std::vector<double>>& slopes,
                                             const std::vector<double>* known = nullptr) const;

  static constexpr double kLogStep = 1e-3;

 private:
  multilayer::Section section_;
  multilayer::PreparedGeometry geometry_;
  bool homogeneous_ = true;  // no spring interface: deflections scale as 1/E
};

}  // namespace kestral::backcalc
