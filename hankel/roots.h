#pragma once

#include <array>

namespace kestral {

inline constexpr int kZeroTableSize = 80;
inline constexpr int kRootListSize = 160;

using ZeroTable = std::array<float, kZeroTableSize>;
// 160 interval ends in ascending order; entry 1 (element 0) is always 0.
using RootList = std::array<float, kRootListSize>;

// BESROT: "Bessel roots". Fills z0(1..80), the positive zeros of J0, and
// z1(1..80), the zeros of J1 with the origin counted as the first. The first
// thirty J0 zeros and the first four positive J1 zeros are tabled; the rest
// come from the leading term of McMahon's expansion, (k - 0.25)*pi and
// (k - 0.75)*pi, with pi held in single precision.
void BESROT(ZeroTable& zerosJ0, ZeroTable& zerosJ1);

// ROOTS: the ends of the integration intervals of one point.
//
// Gathers 160 values of m, the zeros of J1(m) together with the zeros of
// J0(ratio*m) (kind 1) or of J1(ratio*m) (any other kind), and sorts them
// ascending. ratio = 0 (a point on the load axis) uses the unscaled zeros,
// which gives the lists of ratio = 1.
//
// Arguments (all by reference):
//   ratio  in   rho = R/a, 0 or positive (a negative ratio would put
//               negative values ahead of the 0).
//   roots  out  the sorted list; entry 1 is 0, values may repeat.
//   kind   in   1 for J0(rho*m), anything else for J1(rho*m).
void ROOTS(const float& ratio, RootList& roots, const int& kind);

// BUBBL: ascending sort of the first `count` entries of `values` (at most
// 160). Gives the order of an exchange sort; count 0 or 1 leaves the table
// untouched.
void BUBBL(RootList& values, const int& count);

}  // namespace kestral
