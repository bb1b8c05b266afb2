#pragma once

#include <span>

namespace kestral {

// MATIN: "matrix inversion". Gauss-Jordan elimination with complete pivoting,
// in place.
//
// Method: for each of the n steps the largest remaining element (row-by-row
// scan, strict comparison, so ties keep the first element met) becomes the
// pivot; its row is exchanged onto the diagonal, normalised, and eliminated
// from every other row of the matrix and of the right-hand sides. The columns
// are unscrambled at the end in descending step order.
//
// Arguments (all by reference):
//   NL  in      number of layers; the order of the system is n = 4*NL - 2.
//   A   in/out  NP x NP matrix, column by column (element (i,j) at
//               (i-1) + (j-1)*NP); on return the inverse of its leading
//               n x n block.
//   NP  in      leading dimension of A and B, n <= NP.
//   B   in/out  NP x M right-hand sides, column by column; on return the
//               solutions.
//   M   in      number of right-hand sides, 0 or more (B may be empty).
//
// Returns at once with A and B untouched when n <= 0, n > 350 (the capacity
// of the bookkeeping), n > NP, M < 0, or when A or B is shorter than its
// n x n or n x M block at leading dimension NP. Nothing outside those blocks
// is read or written.
//
// Accuracy: on a random, well-conditioned 18 x 18 system whose pivots all lie
// off the diagonal, ||b - Ax|| / (||A|| ||x|| eps) <= 0.55 and
// ||inv(A) A - I|| / (n ||A|| ||inv(A)|| eps) <= 0.02, in float and double.
//
// Not checked: singularity. A search that meets a column chosen twice
// abandons the elimination and returns with A and B partly reduced; a step
// that finds no non-zero pivot (an exactly singular matrix) does the same,
// so nothing is ever divided by zero. The caller guarantees a non-singular
// system. Bookkeeping lives in fixed storage of 350 entries per thread, so
// calls in different threads are independent; nothing is allocated.
template <typename Real>
void MATIN(const int& NL, std::span<Real> A, const int& NP, std::span<Real> B, const int& M);

inline constexpr int kMatinCapacity = 350;

}  // namespace kestral
