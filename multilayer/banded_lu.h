// Banded LU factorisation with partial pivoting, solving one system in place.
#pragma once

#include <cstddef>
#include <vector>

namespace kestral::multilayer {

// A square system of order n whose nonzeros lie within `lower` diagonals
// below and `upper` diagonals above the main one, held densely (row-major,
// n x n) so that the fill-in of pivoting (up to lower + upper diagonals
// above) has room.
//
// Method: Gaussian elimination by columns with partial (row) pivoting over
// the band, as LAPACK's xGBSV: per column at most `lower` rows are
// eliminated over at most lower + upper + 1 columns, so the work is
// O(n lower (lower + upper)).
//
// solve_banded():
//   matrix  in/out  n*n entries, row-major; destroyed (holds U on exit).
//   rhs     in/out  n entries: the right-hand side on entry, the solution on exit.
//   n       in      order, >= 1.
//   lower, upper in  bandwidths; entries outside them must be zero.
// Returns false (rhs then unspecified) when a pivot is exactly zero.
// Accuracy: backward stable as dense partial pivoting (growth at most
// 2^lower); the layer systems of this library are row-equilibrated first.
bool solve_banded(std::vector<double>& matrix, std::vector<double>& rhs, std::size_t n,
                  std::size_t lower, std::size_t upper);

}  // namespace kestral::multilayer
