// The layer model of a survey as the fit sees it: the surface deflections
// under the FWD plate for given layer moduli, and their slopes with respect
// to the logarithms of the searched moduli. The one place the fit meets the
// engine.
//
// Method: the engine at the sensors (surface points on the line through the
// plate centre) under a uniform pressure of 1 MPa on the plate, through a
// multilayer::PreparedGeometry, which keeps what does not depend on the
// layers from one set of moduli to the next; displacements only are asked
// for, so the integration stops when the deflections meet the tolerance. A
// drop's bowl is this one times its pressure (the model is linear in the
// load). Slopes from the engine's derivatives by the moduli, integrated on
// the same panels as the deflections (PreparedGeometry::
// analyse_with_derivatives): d d_i / d ln E = E d d_i / dE. Measured against
// central differences of the deflections within 2e-8 of the largest
// deflection (bowl_model_test), the differences' own error; the slopes only
// steer the search and size the ranges, the answer depends on the
// deflections alone.
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

  // The same, and slopes[j][i] = d deflection_i / d ln E_searched[j]
  // (mm), from one engine run.
  std::vector<double> deflections_and_slopes(const std::vector<double>& moduli,
                                             const std::vector<std::size_t>& searched,
                                             std::vector<std::vector<double>>& slopes) const;

 private:
  multilayer::Section with_moduli(const std::vector<double>& moduli) const;

  multilayer::Section section_;
  multilayer::PreparedGeometry geometry_;
};

}  // namespace kestral::backcalc
