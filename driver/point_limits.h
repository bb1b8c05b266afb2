#pragma once

#include <string>

#include "driver/problem_input.h"

namespace kestral {

// How far from the load the solution is computed, in contact radii.
//
// Inside a layer above the half-space the terms that grow with depth are the
// layer constants times exp(zeta m). The solve leaves those constants with an
// error of about 1e-16 of the decaying ones, and on the first interval (m up
// to 1.9) exp(zeta m) amplifies it past single precision once the point lies
// more than about 15 contact radii deep: below that, the two rows of an
// interface point stop agreeing.
inline constexpr double kMaxRadiiInFiniteLayer = 15.0;
// Every pass integrates its first interval (m from 0 to about 1.2 or 1.9)
// with one rule; much deeper than 50 radii the response decays within a
// small part of it and the rule misses it (a tenth of a per cent at 20
// radii, one per cent at 40, tens of per cent at 150).
inline constexpr double kMaxRadiiDeep = 50.0;
// The intervals follow the zeros of J0(rho m) and J1(rho m) only up to
// m = 250/rho; beyond, at the surface, they are too wide for the factor's
// period 2 pi/rho. Surface displacements are good to 4e-5 at 15 radii off
// the load, 4e-4 at 20 and 2 per cent at 25.
inline constexpr double kMaxRadiiOff = 20.0;

// Refuses, with a one-line message naming the point, a point that lies
// deeper or further off a wheel than the solution holds. A dual wheel's
// points are also checked at their distance from the second wheel.
void check_points_computable(const LayerSystem& layers, const EvalPoints& points,
                             const WheelLoad& load, bool dual, const std::string& file_name);

}  // namespace kestral
