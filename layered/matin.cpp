// MATIN: Gauss-Jordan elimination with complete pivoting, in place, on a
// column-major matrix with an explicit leading dimension. See matin.h for the
// contract and the measured accuracy.
#include "layered/matin.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

namespace kestral {
namespace {

// Bookkeeping of one elimination: how often each column has been the pivot
// column, and the pivot row and column of every step (needed to unscramble
// the columns of the inverse at the end). Per thread, so that independent
// problems may be solved in parallel threads; reused on every call.
struct PivotBookkeeping {
  std::array<int, kMatinCapacity> column_count;
  std::array<int, kMatinCapacity> step_row;
  std::array<int, kMatinCapacity> step_column;
};

thread_local PivotBookkeeping bookkeeping{};

// Largest NL whose order 4*NL - 2 fits the bookkeeping storage; compared
// before the order is formed, so that no NL can overflow 4*NL.
constexpr int kMaxLayerCount = (kMatinCapacity + 2) / 4;

}  // namespace

template <typename Real>
void MATIN(const int& NL, std::span<Real> A, const int& NP, std::span<Real> B, const int& M) {
  if (NL <= 0 || NL > kMaxLayerCount) return;
  const int n = 4 * NL - 2;
  if (NP < n || M < 0) return;
  const std::size_t ld = static_cast<std::size_t>(NP);
  const std::size_t un = static_cast<std::size_t>(n);
  const std::size_t um = static_cast<std::size_t>(M);
  // Last element touched: (n, n) of A and (n, M) of B.
  if (A.size() < ld * (un - 1) + un) return;
  if (um > 0 && B.size() < ld * (um - 1) + un) return;

  // Indices below are 0-based: element (i, j) of a formula is a(i - 1, j - 1).
  const auto a = [&A, ld](int i, int j) -> Real& {
    return A[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * ld];
  };
  const auto b = [&B, ld](int i, int j) -> Real& {
    return B[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * ld];
  };

  auto& count = bookkeeping.column_count;
  auto& step_row = bookkeeping.step_row;
  auto& step_column = bookkeeping.step_column;
  for (int k = 0; k < n; ++k) count[k] = 0;

  for (int i = 0; i < n; ++i) {
    // Complete pivoting over the rows and columns not yet used; strict '>'
    // keeps the first of equal magnitudes and never takes a zero (or NaN).
    Real largest = 0;
    int r = -1;
    int c = -1;
    for (int j = 0; j < n; ++j) {
      if (count[j] == 1) continue;
      for (int k = 0; k < n; ++k) {
        if (count[k] == 1) continue;
        if (count[k] > 1) return;  // a column chosen twice: singular
        const Real magnitude = std::abs(a(j, k));
        if (magnitude > largest) {
          largest = magnitude;
          r = j;
          c = k;
        }
      }
    }
    // Nothing non-zero left: exactly singular. Stop before dividing by zero.
    if (c < 0) return;

    ++count[c];
    if (r != c) {
      for (int j = 0; j < n; ++j) std::swap(a(r, j), a(c, j));
      for (int j = 0; j < M; ++j) std::swap(b(r, j), b(c, j));
    }
    step_row[i] = r;
    step_column[i] = c;

    // Setting the pivot to 1 before the division leaves 1/p in its place,
    // which is how the inverse builds up in the storage of A.
    const Real p = a(c, c);
    a(c, c) = 1;
    for (int j = 0; j < n; ++j) a(c, j) = a(c, j) / p;
    for (int j = 0; j < M; ++j) b(c, j) = b(c, j) / p;

    for (int l = 0; l < n; ++l) {
      if (l == c) continue;
      const Real d = a(l, c);
      a(l, c) = 0;
      for (int j = 0; j < n; ++j) a(l, j) = a(l, j) - a(c, j) * d;
      for (int j = 0; j < M; ++j) b(l, j) = b(l, j) - b(c, j) * d;
    }
  }

  // The row exchanges act on the inverse as column exchanges, undone in
  // reverse order.
  for (int l = n - 1; l >= 0; --l) {
    const int r = step_row[l];
    const int c = step_column[l];
    if (r == c) continue;
    for (int k = 0; k < n; ++k) std::swap(a(k, r), a(k, c));
  }
}

template void MATIN<float>(const int&, std::span<float>, const int&, std::span<float>, const int&);
template void MATIN<double>(const int&, std::span<double>, const int&, std::span<double>,
                            const int&);

}  // namespace kestral
