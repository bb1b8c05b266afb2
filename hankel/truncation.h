// Where FINAL stops its Hankel integrals: the one home of the truncation
// constants, for FINAL and for the tests that bound what it leaves out.
#pragma once

namespace kestral {

// A pass stops at the interval whose last node has zeta*m >= this:
// exp(-7) = 9.1e-4, so the depth factor of every integrand is below 1e-3.
inline constexpr float kTruncationExponent = 7.0f;
// Points at most this deep (in contact radii, zeta) are treated as surface
// points: their depth factor decays too slowly, and their passes stop at m
// = kSurfaceParameterLimit instead.
inline constexpr float kSurfaceZoneDepth = 0.045f;
// The Hankel parameter at which a surface point's passes stop.
inline constexpr float kSurfaceParameterLimit = 150.0f;

// The stop test after an interval, judged at the parameter m of its last
// node: zeta*m (rounded to single precision, as FINAL stores it) reaches
// kTruncationExponent, or a surface-zone point reaches m =
// kSurfaceParameterLimit.
inline bool integration_ends(float zeta, float m) {
  const float zeta_m = zeta * m;
  return zeta_m >= kTruncationExponent || (zeta <= kSurfaceZoneDepth && m >= kSurfaceParameterLimit);
}

}  // namespace kestral
