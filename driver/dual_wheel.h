// The geometry of a dual wheel.
#pragma once

namespace kestral {

// Distance between the centres of the two wheels of a dual wheel, mm.
inline constexpr float kDualWheelSpacing = 310.0f;

// Horizontal distance (mm) of a point at radial offset R (mm, >= 0, from the
// first wheel's centre, along the line through both centres) from the centre
// of the second wheel: |R - 310|, one single-precision subtraction, so
// exactly the float nearest to the true distance.
inline float distance_from_second_wheel(float R) {
  return R > kDualWheelSpacing ? R - kDualWheelSpacing : kDualWheelSpacing - R;
}

}  // namespace kestral
