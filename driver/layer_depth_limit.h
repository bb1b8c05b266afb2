// How deep the interfaces of the layer system may lie.
#pragma once

#include <string>

#include "driver/problem_input.h"

namespace kestral {

// Deepest interface the layer solve resolves, in contact radii.
//
// ABCD writes the interface conditions with coefficients m*lambda - 1 + 2 Mu
// and the like, lambda the interface depth in radii, and m reaches 150 near
// the surface. In double precision the O(1) part of such a coefficient is
// kept to about 150 * lambda * 1.1e-16 of itself. Measured over 330 random
// sections (2 to 5 layers, the thick one anywhere above the half-space,
// neighbouring moduli up to 1e6 apart, Mu 0 to 0.5, a 18 to 430 mm) against
// the same section with that layer made the half-space (60 sections) or
// 1e6 radii thick (270): the printed digits first change between 1e9 and
// 1.8e9 radii at the earliest (one section), and mostly between 1e12 and
// 1e13; from about 1e16 radii the results are nonsense (tension of several
// q under the load). 1e8 keeps the error below 2e-6, far under the four
// printed digits. (The clamp of the decay factor at exp(-85), reached from
// about 3000 radii, is harmless: the factor it replaces is smaller still.)
inline constexpr double kMaxInterfaceDepthRadii = 1e8;

// Refuses (InputError, one line naming the layer) a layer whose bottom lies
// deeper than kMaxInterfaceDepthRadii contact radii: below it nothing
// reaches the surface, so the layer may be made the half-space instead.
// Needs the contact radius (load.a).
void check_interface_depths(const LayerSystem& layers, const WheelLoad& load,
                            const std::string& file_name);

}  // namespace kestral
