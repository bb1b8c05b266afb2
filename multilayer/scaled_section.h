// The section in the engine's working units: lengths in units of the largest
// load radius, stresses in units of the largest pressure, moduli in units of
// the smallest modulus. Every quantity is then of order one, the error scales
// of analysis.h are 1, and no input magnitude can overflow the working
// arithmetic.
#pragma once

#include <vector>

#include "multilayer/analysis.h"

namespace kestral::multilayer {

struct ScaledLayer {
  double modulus = 1.0;    // E / E_min, >= 1
  double poisson = 0.0;    // nu
  double thickness = 0.0;  // h / a_max; 0 for the half-space
  double top = 0.0;        // depth of the top face / a_max
  InterfaceKind below = InterfaceKind::bonded;
  double spring = 0.0;     // k a_max / E_min (kind spring)

  double shear_modulus() const { return modulus / (2.0 * (1.0 + poisson)); }
};

struct ScaledSection {
  std::vector<ScaledLayer> layers;  // top first, last = half-space
  double length_unit = 1.0;         // a_max
  double stress_unit = 1.0;         // q_max
  double modulus_unit = 1.0;        // E_min

  std::size_t size() const { return layers.size(); }
  // Depth of the deepest interface (0 for a half-space).
  double deepest_interface() const { return layers.empty() ? 0.0 : layers.back().top; }
};

// The section scaled by the loads' largest radius and pressure. Expects a
// validated problem (at least one layer and one load).
ScaledSection scale_section(const Section& section, const std::vector<Load>& loads);

}  // namespace kestral::multilayer
