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
// thirty J0 zeros (to eight digits) and the first four positive J1 zeros (to
// three decimals) are tabled; the rest come from the leading term of
// McMahon's expansion, (k - 0.25)*pi and (k - 0.75)*pi with pi held as the
// float 3.1415927, the product rounded once to float.
//
// Arguments (all by reference): zerosJ0, zerosJ1 out, all 80 entries
// written, element k-1 holding z(k); nothing is read.
//
// Accuracy: tabled J0 zeros within 0.55 ulp of the true zeros, tabled J1
// zeros within 4.7e-4. The true zero lies McMahon's next term away from a
// computed entry, 1/(8b) above a J0 entry and 3/(8b) below a J1 entry, with
// b = (k - 0.25)*pi or (k - 0.75)*pi: at most 1.3e-3 and 2.3e-2.
void BESROT(ZeroTable& zerosJ0, ZeroTable& zerosJ1);

// ROOTS: the ends of the integration intervals of one point.
//
// Gathers 160 values of m, the zeros of J1(m) together with the zeros of
// J0(ratio*m) (kind 1) or of J1(ratio*m) (any other kind), and sorts them
// ascending with BUBBL. Each scaled zero is z/ratio rounded to float;
// ratio == 0 exactly (a point on the load axis) uses the unscaled zeros,
// which gives the lists of ratio = 1. Kind 2 leaves out the scaled origin,
// so 0 occurs once, and puts in its place the last value of kind 1, the
// greater of z0(80)/ratio and z1(80), so that both lists of one ratio end
// at the same value.
//
// Arguments (all by reference):
//   ratio  in   rho = R/a, 0 or positive (a negative ratio would put
//               negative values ahead of the 0). May be an entry of roots.
//   roots  out  the sorted list, all 160 entries written; entry 1 is 0,
//               values may repeat (an empty interval).
//   kind   in   1 for J0(rho*m), anything else for J1(rho*m).
//
// Not checked: the sign of ratio; a tiny ratio (below about 1e-36) lets
// scaled zeros overflow to infinity, which still sort. The work tables live
// on the stack, so ROOTS may run in several threads at once.
void ROOTS(const float& ratio, RootList& roots, const int& kind);

// BUBBL: "bubble sort", ascending, in place, of the first `count` entries
// of `values`.
//
// Method: the result is exactly that of the exchange sort (count-1 full
// passes, neighbours exchanged unless strictly ascending). Where the order of
// values that compare equal cannot be seen (no NaN, no -0) a straight
// insertion sort gives it in far fewer steps; otherwise the exchange sort
// itself runs, so even NaN and signed zeros end in its places.
//
// Arguments (all by reference):
//   values  in/out  entries 1..count sorted, the rest untouched.
//   count   in      number of leading entries; above 160 it is taken as 160,
//                   and 1 or less (negative included) leaves values untouched.
void BUBBL(RootList& values, const int& count);

}  // namespace kestral
