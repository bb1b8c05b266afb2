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
// kept to about 150 * lambda * 1.1e-16 of itself: measured over 270 random
// sections (2 to 5 layers, neighbouring moduli up to 1e6 apart, Mu 0 to
// 0.5) against the same section with the thick layer made the half-space,
// printed digits first change between 5.6e9 and 1e10 radii, and more often
// near 1e12 to 1e13; from about 1e16 radii the results are nonsense
// (tension of several q under the load). 1e8 keeps the error below 2e-6,
// far under the four printed digits. (The clamp of the decay factor at
// exp(-85), reached from about 3000 radii, is harmless: the factor it
// replaces is smaller still.)
inline constexpr double kMaxInterfaceDepthRadii = 1e8;

// Refuses (InputError, one line naming the layer) a layer whose bottom lies
// deeper than kMaxInterfaceDepthRadii contact radii: below it nothing
// reaches the surface, so the layer may be made the half-space instead.
// Needs the contact radius (load.a).
void check_interface_depths(const LayerSystem& layers, const WheelLoad& load,
                            const std::string& file_name);

}  // namespace kestral
