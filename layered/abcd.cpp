// ABCD: integration constants of every layer for one Hankel parameter m. See
// abcd.h for the contract and the measured accuracy.
#include "layered/abcd.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <limits>
#include <span>

#include "layered/decay_factor.h"
#include "layered/gauss_jordan_solution.h"
#include "layered/matin.h"

namespace kestral {
namespace {

// Leading dimension of the system matrix, as MATIN is called with it.
constexpr int kSystemLeadingDimension = kMatinCapacity;
// Largest order, 4*NL - 2 for five layers: only this many columns are ever
// touched, so the work matrix is 350 rows by 18 columns.
constexpr int kMaxSystemOrder = 4 * kMaxLayers - 2;

struct LayerSystemWork {
  std::array<double, kSystemLeadingDimension * kMaxSystemOrder> matrix;
  std::array<double, kSystemLeadingDimension> rhs;
};

// Per thread, so that independent problems may run in parallel threads;
// lives for the whole run and is reused on every call.
thread_local LayerSystemWork work{};

// Element (row, column) of the system, both 1-based as in the layout of the
// rows and columns below.
double& entry(int row, int column) {
  return work.matrix[static_cast<std::size_t>(row - 1) +
                     static_cast<std::size_t>(column - 1) * kSystemLeadingDimension];
}

// Rounds a constant to single precision; a magnitude beyond the float range
// (only for m so small that the system is singular in practice) becomes an
// infinity instead of an undefined conversion.
float to_float(double x) {
  if (std::isnan(x) || std::fabs(x) <= static_cast<double>(FLT_MAX)) return static_cast<float>(x);
  return x > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
}

// Columns of one layer's constants in the system; 0 for the A and C of the
// half-space, which are not unknowns.
struct LayerColumns {
  int a, b, c, d;
};

// The four continuity rows of one interface for one side of it: S, T, W and U
// of the table of transformed quantities at depth lambda, multiplied by
// exp(-m*lambda) (so A and C carry 1 and B and D carry F), times 'weight'
// (+1 above; -1 below for S and T, -R below for W and U).
void add_interface_side(int first_row, const LayerColumns& col, double m, double m_lambda,
                        double F, double nu, double stress_weight, double displacement_weight) {
  struct Row {
    double a, b, c, d;
  };
  const std::array<Row, 4> rows{{
      {m, m * F, m_lambda - 1.0 + 2.0 * nu, (1.0 - 2.0 * nu + m_lambda) * F},     // S
      {m, -m * F, m_lambda + 2.0 * nu, (2.0 * nu - m_lambda) * F},                // T
      {m, -m * F, m_lambda - 2.0 + 4.0 * nu, -(2.0 - 4.0 * nu + m_lambda) * F},   // W
      {m, m * F, 1.0 + m_lambda, -(1.0 - m_lambda) * F},                          // U
  }};
  for (int q = 0; q < 4; ++q) {
    const double weight = q < 2 ? stress_weight : displacement_weight;
    const int row = first_row + q;
    if (col.a > 0) entry(row, col.a) = weight * rows[q].a;
    entry(row, col.b) = weight * rows[q].b;
    if (col.c > 0) entry(row, col.c) = weight * rows[q].c;
    entry(row, col.d) = weight * rows[q].d;
  }
}

}  // namespace

void ABCD(const float& m, const LayerTable& Mu, const LayerTable& E, const int& NL,
          const LayerTable& H, const float& a, ConstantsTable& A, ConstantsTable& B,
          ConstantsTable& C, ConstantsTable& D, const int& IBOND) {
  // Every interface is bonded; IBOND selects nothing else.
  static_cast<void>(IBOND);
  // Outside 2..5 layers the system does not exist or the tables cannot hold
  // it: leave the outputs as they are.
  if (NL < kMinLayers || NL > kMaxLayers) return;
  const int n = 4 * NL - 2;
  const double md = m;

  // Depths, modulus ratios and decay factors of the interfaces, in double
  // from the single-precision inputs.
  std::array<double, kMaxLayers - 1> lambda{};
  std::array<double, kMaxLayers - 1> ratio{};
  std::array<double, kMaxLayers - 1> decay{};
  double depth = 0.0;
  for (int i = 0; i < NL - 1; ++i) {
    depth += static_cast<double>(H[i]);
    lambda[i] = depth / static_cast<double>(a);
    ratio[i] = static_cast<double>(E[i]) * (1.0 + static_cast<double>(Mu[i + 1])) /
               ((1.0 + static_cast<double>(Mu[i])) * static_cast<double>(E[i + 1]));
    decay[i] = decay_factor(md, lambda[i]);
  }

  for (int column = 1; column <= n; ++column) {
    for (int row = 1; row <= n; ++row) entry(row, column) = 0.0;
  }
  for (int row = 0; row < n; ++row) work.rhs[row] = 0.0;

  // Surface: m*S = 1 and T = 0 at lambda = 0.
  const double nu1 = Mu[0];
  entry(1, 1) = md * md;
  entry(1, 2) = md * md;
  entry(1, 3) = -(1.0 - 2.0 * nu1) * md;
  entry(1, 4) = (1.0 - 2.0 * nu1) * md;
  work.rhs[0] = 1.0;
  entry(2, 1) = md;
  entry(2, 2) = -md;
  entry(2, 3) = 2.0 * nu1;
  entry(2, 4) = 2.0 * nu1;

  // Interface i (1-based): rows 4i-1..4i+2, layer i in columns 4i-3..4i,
  // layer i+1 from column 4i+1 on (B and D only for the half-space).
  for (int i = 1; i <= NL - 1; ++i) {
    const double m_lambda = md * lambda[i - 1];
    const double F = decay[i - 1];
    const double R = ratio[i - 1];
    const LayerColumns above{4 * i - 3, 4 * i - 2, 4 * i - 1, 4 * i};
    const LayerColumns below = i < NL - 1 ? LayerColumns{4 * i + 1, 4 * i + 2, 4 * i + 3, 4 * i + 4}
                                          : LayerColumns{0, 4 * i + 1, 0, 4 * i + 2};
    add_interface_side(4 * i - 1, above, md, m_lambda, F, Mu[i - 1], 1.0, 1.0);
    add_interface_side(4 * i - 1, below, md, m_lambda, F, Mu[i], -1.0, -R);
  }

  // Only the solution is used: the elimination that leaves out MATIN's
  // inverse gives it bit for bit.
  solve_like_matin(n, std::span<double>(work.matrix), kSystemLeadingDimension,
                   std::span<double>(work.rhs));

  for (int k = 1; k <= NL - 1; ++k) {
    A[k - 1] = to_float(work.rhs[4 * k - 4]);
    B[k - 1] = to_float(work.rhs[4 * k - 3]);
    C[k - 1] = to_float(work.rhs[4 * k - 2]);
    D[k - 1] = to_float(work.rhs[4 * k - 1]);
  }
  A[NL - 1] = 0.0f;
  B[NL - 1] = to_float(work.rhs[4 * NL - 4]);
  C[NL - 1] = 0.0f;
  D[NL - 1] = to_float(work.rhs[4 * NL - 3]);
}

void ABCD(const float& m, const LayerTable& Mu, const LayerTable& E, const int& NL,
          const LayerTable& H, const float& a, ConstantsTable& A, ConstantsTable& B,
          ConstantsTable& C, ConstantsTable& D, const int& IBOND, ConstantsStore& store) {
  if (NL < kMinLayers || NL > kMaxLayers) return;
  store.use_system(NL, E, Mu, H, a, IBOND);
  if (store.find(m, A, B, C, D)) return;
  ABCD(m, Mu, E, NL, H, a, A, B, C, D, IBOND);
  store.store(m, A, B, C, D);
}

}  // namespace kestral
