// Written here rather than taken from Eigen: Eigen has no banded LU with
// pivoting, and its dense LU costs O(n^3) per Hankel node where this costs
// O(n) (20 layers: 78 unknowns).
#include "multilayer/banded_lu.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestral::multilayer {

bool solve_banded(std::vector<double>& matrix, std::vector<double>& rhs, std::size_t n,
                  std::size_t lower, std::size_t upper) {
  auto at = [&](std::size_t row, std::size_t col) -> double& { return matrix[row * n + col]; };
  // Row interchanges can move entries up to lower + upper above the diagonal.
  const std::size_t reach = lower + upper;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t last_row = std::min(n - 1, k + lower);
    const std::size_t last_col = std::min(n - 1, k + reach);
    std::size_t pivot = k;
    for (std::size_t i = k + 1; i <= last_row; ++i) {
      if (std::fabs(at(i, k)) > std::fabs(at(pivot, k))) pivot = i;
    }
    if (at(pivot, k) == 0.0) return false;
    if (pivot != k) {
      for (std::size_t j = k; j <= last_col; ++j) std::swap(at(k, j), at(pivot, j));
      std::swap(rhs[k], rhs[pivot]);
    }
    const double inverse_pivot = 1.0 / at(k, k);
    for (std::size_t i = k + 1; i <= last_row; ++i) {
      const double factor = at(i, k) * inverse_pivot;
      if (factor == 0.0) continue;
      at(i, k) = 0.0;
      for (std::size_t j = k + 1; j <= last_col; ++j) at(i, j) -= factor * at(k, j);
      rhs[i] -= factor * rhs[k];
    }
  }
  for (std::size_t kk = n; kk-- > 0;) {
    const std::size_t last_col = std::min(n - 1, kk + reach);
    double sum = rhs[kk];
    for (std::size_t j = kk + 1; j <= last_col; ++j) sum -= at(kk, j) * rhs[j];
    rhs[kk] = sum / at(kk, kk);
  }
  return true;
}

}  // namespace kestral::multilayer
