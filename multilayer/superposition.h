// The total response at one row: each load's axisymmetric response rotated
// into x, y and added (exact anywhere, unlike adding polar components), then
// the strains by Hooke's law of the row's layer, the principal values and the
// error bounds, in the caller's units.
#pragma once

#include "multilayer/analysis.h"
#include "multilayer/load_integrals.h"
#include "multilayer/scaled_section.h"

namespace kestral::multilayer {

// Working units (scaled_section.h). The errors bound every component.
struct Superposed {
  SymmetricTensor stress;
  Vector3 displacement;
  double stress_error = 0;
  double displacement_error = 0;
};

// Adds one load of pressure q and radius a (working units) whose centre lies
// at (dx, dy) = point - centre, r = hypot(dx, dy). On the axis (r = 0) the
// polar directions are undefined but the integrals give sigma_r = sigma_t,
// tau_rz = 0, u_r = 0 exactly, so any direction serves.
void add_load(Superposed& total, const LoadIntegrals& integrals, double dx, double dy, double r,
              double pressure, double radius);

// The finished row: strains from the stresses (Hooke, valid at nu = 0.5:
// e = ((1 + nu) s - nu tr(s) I) / E), principal values, horizontal maximum,
// and the errors widened to bound the principal values too (3 times the
// componentwise bound: the 2-norm of a symmetric perturbation). Scaled back
// to the caller's units.
Result finish_row(const Superposed& total, const ScaledLayer& layer, const ScaledSection& section);

// The derivative of a row by the modulus of one layer (caller's units, per
// unit of modulus): `derivative` holds d/dE_l (scaled) of the superposed
// stresses and displacements, `total` the row's own (its strains move with
// 1 / E of its layer when l is that layer: own_layer). Principal values and
// error estimates are left 0.
Result finish_derivative_row(const Superposed& derivative, const Superposed& total, const ScaledLayer& layer,
                             bool own_layer, const ScaledSection& section);

}  // namespace kestral::multilayer
