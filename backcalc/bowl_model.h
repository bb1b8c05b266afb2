// The layer model of a survey as the fit sees it: the surface deflections
// under the FWD plate for given layer moduli, and their slopes with respect
// to the logarithms of the searched moduli. The one place the fit meets the
// engine.
//
// Method: multilayer::analyse at the sensors (surface points on the line
// through the plate centre) under a uniform pressure of 1 MPa on the plate;
// a drop's bowl is this one times its pressure (the model is linear in the
// load). Slopes by forward differences in ln E with step kLogStep, one
// engine run per searched modulus beyond the deflections themselves:
// truncation error about kLogStep / 2 of the second derivative (5e-4
// relative), rounding error about tolerance / kLogStep (1e-3 relative at
// the default tolerance 1e-6). The fit's result depends on the deflections,
// not on the slopes, which only steer the search and size the ranges, so
// this accuracy serves; central differences cost twice as much.
//
// Thread-safe: const members only; one model serves every thread.
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

  std::size_t sensors() const { return points_.size(); }

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
  std::vector<multilayer::Load> plate_;
  std::vector<multilayer::Point> points_;
  multilayer::Options options_;
};

}  // namespace kestral::backcalc
