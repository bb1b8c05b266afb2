// A square banded system and its solution by LU with partial pivoting.
#pragma once

#include <cstddef>
#include <vector>

namespace kestral::multilayer {

// Order n, nonzeros within `lower` diagonals below and `upper` above the main
// one, stored by rows in LAPACK's band layout widened for the fill-in of
// pivoting: row i holds columns i - lower .. i + lower + upper.
class BandMatrix {
 public:
  BandMatrix() = default;
  // Resizes to order n and sets every entry to 0.
  void reset(std::size_t n, std::size_t lower, std::size_t upper);

  // Entry (row, col); col must lie within the band of row.
  double& at(std::size_t row, std::size_t col) { return data_[row * width_ + (col + lower_ - row)]; }
  double* address(std::size_t row, std::size_t col) { return &data_[row * width_ + (col + lower_ - row)]; }
  double at(std::size_t row, std::size_t col) const { return data_[row * width_ + (col + lower_ - row)]; }
  // Where entry (row, col) lies: the row's band is contiguous from there.
  const double* address(std::size_t row, std::size_t col) const { return &data_[row * width_ + (col + lower_ - row)]; }
  // First and last column of the stored band of a row.
  std::size_t first_column(std::size_t row) const { return row > lower_ ? row - lower_ : 0; }
  std::size_t last_column(std::size_t row) const { return row + lower_ + upper_ < n_ ? row + lower_ + upper_ : n_ - 1; }
  // Entries of one column lie this far apart from row to row.
  std::size_t column_stride() const { return width_ - 1; }

  std::size_t order() const { return n_; }
  std::size_t lower() const { return lower_; }
  std::size_t upper() const { return upper_; }

 private:
  std::size_t n_ = 0, lower_ = 0, upper_ = 0, width_ = 1;
  std::vector<double> data_;
};

// Method: Gaussian elimination by columns with partial (row) pivoting over
// the band, as LAPACK's xGBSV: per column at most `lower` rows are eliminated
// over at most lower + upper + 1 columns, so the work is O(n lower (lower +
// upper)) and the storage O(n (2 lower + upper)).
//
// solve_banded():
//   matrix  in/out  the system; destroyed (holds U on exit).
//   rhs     in/out  n entries: the right-hand side on entry, the solution on exit.
// Returns false (rhs then unspecified) when a pivot is exactly zero.
// Accuracy: backward stable as dense partial pivoting (growth at most
// 2^lower); the layer systems of this library are row-equilibrated first.
bool solve_banded(BandMatrix& matrix, std::vector<double>& rhs);

// The same in two steps, for several right-hand sides (the same operations
// in the same order, so the same bits as solve_banded()):
// factor_banded():
//   matrix  in/out  the system; on exit U above the diagonal and the
//                   multipliers below it.
//   pivots  out     n row interchanges.
//   Returns false when a pivot is exactly zero.
// solve_factored():
//   matrix, pivots  in   from factor_banded().
//   rhs             in/out  n entries: right-hand side, then solution.
bool factor_banded(BandMatrix& matrix, std::vector<std::size_t>& pivots);
void solve_factored(const BandMatrix& matrix, const std::vector<std::size_t>& pivots, double* rhs);

}  // namespace kestral::multilayer
