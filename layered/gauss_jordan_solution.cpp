#include "layered/gauss_jordan_solution.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstddef>
#include <utility>

namespace kestral {

namespace {

// Bit k of a mask stands for index k (n <= 32 here).
using IndexMask = std::uint32_t;

// Visits the indices of a mask in ascending order.
template <typename Visit>
inline void for_each_index(IndexMask mask, Visit visit) {
  while (mask != 0) {
    visit(std::countr_zero(mask));
    mask &= mask - 1;
  }
}

}  // namespace

void solve_like_matin(int n, std::span<double> A, int NP, std::span<double> b) {
  if (n <= 0 || n > kSolveLikeMatinMaxOrder || NP < n) return;
  const std::size_t ld = static_cast<std::size_t>(NP);
  if (A.size() < ld * static_cast<std::size_t>(n - 1) + static_cast<std::size_t>(n)) return;
  if (b.size() < static_cast<std::size_t>(n)) return;

  // A row-major copy in which the open (not yet pivoted) columns are kept
  // in the leading positions: a row update and the search of a row are then
  // single contiguous loops. The closed columns hold MATIN's inverse, which
  // the solution never reads, and are left behind. column_at[pos] is the
  // column held at position pos.
  std::array<std::array<double, kSolveLikeMatinMaxOrder>, kSolveLikeMatinMaxOrder> rows;
  std::array<double, kSolveLikeMatinMaxOrder> rhs{};
  std::array<int, kSolveLikeMatinMaxOrder> column_at{};
  std::array<int, kSolveLikeMatinMaxOrder> position_of{};
  for (int l = 0; l < n; ++l) {
    for (int j = 0; j < n; ++j) rows[l][j] = A[static_cast<std::size_t>(l) + static_cast<std::size_t>(j) * ld];
    rhs[l] = b[l];
  }
  for (int j = 0; j < n; ++j) column_at[j] = position_of[j] = j;
  int open_count = n;
  // Rows keep their places; the open rows are those whose index is an open
  // column, as in MATIN's scan.
  IndexMask open_rows = (IndexMask{1} << n) - 1;

  // Largest magnitude among the open elements of each row. MATIN's scan,
  // row by row with a strict comparison, takes the first element, in row
  // order, that carries the largest magnitude of all: the first open row
  // whose maximum is that magnitude, and in it the lowest column that
  // reaches it. A row's maximum changes only when the row is updated or
  // exchanged; the column that closes at a step is zero in every row not
  // updated.
  std::array<double, kSolveLikeMatinMaxOrder> row_largest{};
  const auto refresh_row_largest = [&](int l) {
    // Two running maxima: neither comparison waits for the other.
    const auto& row = rows[l];
    double even = 0.0;
    double odd = 0.0;
    int pos = 0;
    for (; pos + 1 < open_count; pos += 2) {
      const double e = std::abs(row[pos]);
      const double o = std::abs(row[pos + 1]);
      even = e > even ? e : even;
      odd = o > odd ? o : odd;
    }
    if (pos < open_count) {
      const double e = std::abs(row[pos]);
      even = e > even ? e : even;
    }
    row_largest[l] = odd > even ? odd : even;
  };
  for (int l = 0; l < n; ++l) refresh_row_largest(l);

  for (int step = 0; step < n; ++step) {
    double largest = 0.0;
    int r = -1;
    for_each_index(open_rows, [&](int j) {
      if (row_largest[j] > largest) {
        largest = row_largest[j];
        r = j;
      }
    });
    if (r < 0) break;  // nothing non-zero left: singular, b stays partly reduced
    int c = n;
    for (int pos = 0; pos < open_count; ++pos) {
      if (std::abs(rows[r][pos]) == largest && column_at[pos] < c) c = column_at[pos];
    }

    // Close column c: move it behind the open ones.
    const int last = open_count - 1;
    const int from = position_of[c];
    if (from != last) {
      for (int l = 0; l < n; ++l) std::swap(rows[l][from], rows[l][last]);
      const int moved = column_at[last];
      column_at[from] = moved;
      position_of[moved] = from;
      column_at[last] = c;
      position_of[c] = last;
    }
    open_count = last;
    open_rows &= ~(IndexMask{1} << c);

    if (r != c) {
      std::swap(rows[r], rows[c]);
      std::swap(rhs[r], rhs[c]);
    }
    auto& pivot = rows[c];
    const double p = pivot[last];
    for (int pos = 0; pos < open_count; ++pos) pivot[pos] = pivot[pos] / p;
    rhs[c] = rhs[c] / p;

    for (int l = 0; l < n; ++l) {
      if (l == c) continue;
      auto& row = rows[l];
      const double d = row[last];
      if (d == 0.0) continue;
      for (int pos = 0; pos < open_count; ++pos) row[pos] = row[pos] - pivot[pos] * d;
      rhs[l] = rhs[l] - rhs[c] * d;
      if ((open_rows >> l) & 1u) refresh_row_largest(l);
    }
    // The row exchanged into r lost its element in the closed column.
    if (r != c) refresh_row_largest(r);
  }
  for (int l = 0; l < n; ++l) b[l] = rhs[l];
}

}  // namespace kestral
