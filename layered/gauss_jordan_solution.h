#pragma once

#include <span>

namespace kestral {

// The solution that MATIN computes for one right-hand side, without the
// inverse.
//
// Method: MATIN's Gauss-Jordan elimination with complete pivoting, making
// the same pivot choices and the same operations, in the same order, on
// every element the solution depends on. What it leaves out cannot reach the
// solution: the columns already pivoted (in MATIN they hold the inverse,
// which neither the pivot search nor the right-hand side ever reads), the
// final unscrambling of those columns, and the update of a row whose
// multiplier is exactly zero (subtracting a zero product leaves every
// element as it was, up to the sign of a zero, and signed zeros neither win
// a pivot search nor change a non-zero sum). The solution is therefore
// identical, bit for bit, to MATIN's, and the layer system is solved about
// three times faster. The system is worked in a compact row-major copy on
// the stack, with the open columns kept in front so that each row update is
// one contiguous loop, and with the largest magnitude of each row kept
// between steps, so that a step searches only the rows it changed. Orders
// above 24 are not provided for: ABCD, the only caller, reaches 18 (five
// layers), and MATIN serves any larger system.
//
// Arguments:
//   n    in      order of the system, 1..kSolveLikeMatinMaxOrder; n <= NP.
//   A    in/out  NP x n matrix, column by column; destroyed.
//   NP   in      leading dimension of A.
//   b    in/out  right-hand side (n entries); on return the solution.
//
// Returns at once with A and b untouched when n is outside 1..24, n > NP, or
// A or b is shorter than its block. A singular system ends the elimination
// early, as in MATIN, leaving b partly reduced. Nothing is allocated.
inline constexpr int kSolveLikeMatinMaxOrder = 24;
void solve_like_matin(int n, std::span<double> A, int NP, std::span<double> b);

}  // namespace kestral
