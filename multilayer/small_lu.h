// A small dense system of fixed order (the 4 x 4 and 2 x 2 systems of the
// layer recursion, layer_solve.cpp) by LU with partial pivoting.
//
// Method: Gaussian elimination by columns with row interchanges, unrolled at
// compile time. Written here rather than taken from Eigen's PartialPivLU:
// for order 4 Eigen takes its general blocked path (measured, callgrind: 5
// times the instructions of this loop per factorisation and solve).
//
// factor():
//   a  in  the matrix (N x N, any finite entries).
//   Returns false when a pivot is exactly zero (a singular matrix).
// solve():
//   b  in   N x C right-hand sides; returns the solutions. An unknown whose
//          pivot was exactly zero comes out as 0 (never Inf or NaN).
// Accuracy: backward stable as any partial pivoting (growth at most 2^(N-1));
// small_lu_test measures the scale-free residual on random systems.
// Not checked: finite entries (the caller's rows are finite by construction).
#pragma once

#include <Eigen/Core>
#include <cmath>
#include <utility>

namespace kestral::multilayer {

template <int N>
class SmallLu {
 public:
  using Matrix = Eigen::Matrix<double, N, N>;

  bool factor(const Matrix& a) {
    lu_ = a;
    bool regular = true;
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) {
      int best = k;
      for (int i = k + 1; i < N; ++i)
        if (std::fabs(lu_(i, k)) > std::fabs(lu_(best, k))) best = i;
      pivot_[k] = best;
      if (best != k)
        for (int j = 0; j < N; ++j) std::swap(lu_(k, j), lu_(best, j));
      if (lu_(k, k) == 0.0) {
        regular = false;
        inverse_[k] = 0.0;
        continue;
      }
      const double inverse = 1.0 / lu_(k, k);
      inverse_[k] = inverse;
#pragma GCC unroll 4
      for (int i = k + 1; i < N; ++i) {
        const double factor = lu_(i, k) * inverse;
        lu_(i, k) = factor;
#pragma GCC unroll 4
        for (int j = k + 1; j < N; ++j) lu_(i, j) -= factor * lu_(k, j);
      }
    }
    return regular;
  }

  template <int C>
  Eigen::Matrix<double, N, C> solve(Eigen::Matrix<double, N, C> b) const {
    // The factor swapped whole rows (multipliers included): P A = L U.
    for (int k = 0; k < N; ++k)
      if (pivot_[k] != k)
        for (int c = 0; c < C; ++c) std::swap(b(k, c), b(pivot_[k], c));
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k)
#pragma GCC unroll 4
      for (int i = k + 1; i < N; ++i)
        for (int c = 0; c < C; ++c) b(i, c) -= lu_(i, k) * b(k, c);
#pragma GCC unroll 4
    for (int k = N - 1; k >= 0; --k) {
      for (int c = 0; c < C; ++c) {
        double v = b(k, c);
#pragma GCC unroll 4
        for (int j = k + 1; j < N; ++j) v -= lu_(k, j) * b(j, c);
        b(k, c) = v * inverse_[k];
      }
    }
    return b;
  }

 private:
  Matrix lu_ = Matrix::Zero();
  double inverse_[N] = {};  // 1 / pivot, 0 for a zero pivot
  int pivot_[N] = {};
};

}  // namespace kestral::multilayer
