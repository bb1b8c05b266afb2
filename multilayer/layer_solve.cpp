#include "multilayer/layer_solve.h"

#include <Eigen/Core>
#include <algorithm>
#include <cmath>

#include "multilayer/layer_response.h"
#include "multilayer/small_lu.h"

namespace kestral::multilayer {
namespace {

using Matrix2 = Eigen::Matrix2d;
using Matrix4 = Eigen::Matrix4d;
using Matrix42 = Eigen::Matrix<double, 4, 2>;
using Vector2 = Eigen::Vector2d;

// One interface of the recursion, kept for the derivatives: the factorised
// G_i, its solution X_i = [R_i; T_i], the lower layer's c3, c4 columns of the
// equilibrated rows, and what the rows' displacement parts (1 / G of the
// layer above, of the layer below) give on the solution:
// above = A_disp [I; R_i], below = B_disp [I; R_{i+1}] T_i.
struct Step {
  SmallLu<4> lu;
  Matrix42 x = Matrix42::Zero();
  Matrix42 below_upgoing = Matrix42::Zero();
  Matrix42 above = Matrix42::Zero();
  Matrix42 below = Matrix42::Zero();
};

// One per thread, reused from node to node: no allocation once grown.
struct Work {
  std::vector<Step> steps;
  std::vector<Vector2> downgoing;  // u_i = (c1, c2) of every layer
  std::vector<double> decay;       // e^{-m h_i}, 0 for the half-space
  std::vector<Matrix42> d_x;       // d X_i / d E_l
  SmallLu<2> surface_lu;
  Eigen::Matrix<double, 2, 4> surface = Eigen::Matrix<double, 2, 4>::Zero();
};
thread_local Work work;

// The four rows of interface i as A c_i + B c_{i+1} = 0, with the parts of A
// and B that come from displacement forms (1 / G of their layer) when asked.
struct InterfaceRows {
  Matrix4 above = Matrix4::Zero(), below = Matrix4::Zero();
  Matrix4 above_displacement, below_displacement;  // zeroed when asked for
};

void add_row(Matrix4& to, Matrix4* displacement, int row, const std::array<double, 4>& form, double weight) {
  for (int j = 0; j < 4; ++j) {
    to(row, j) += weight * form[static_cast<std::size_t>(j)];
    if (displacement != nullptr) (*displacement)(row, j) += weight * form[static_cast<std::size_t>(j)];
  }
}

void interface_rows(const ScaledSection& section, std::size_t i, double m, const std::vector<double>& decay,
                    bool record, InterfaceRows& rows) {
  const ScaledLayer& upper = section.layers[i];
  const ScaledLayer& lower = section.layers[i + 1];
  const bool lower_is_half_space = i + 2 == section.size();
  LayerPlace bottom;  // of the upper layer: s = h, t = 0
  bottom.decay_top = decay[i];
  bottom.m_s = m * upper.thickness;
  bottom.decay_bottom = 1.0;
  bottom.m_t = 0.0;
  LayerPlace top;  // of the lower layer: s = 0, t = h
  top.decay_top = 1.0;
  top.m_s = 0.0;
  top.decay_bottom = lower_is_half_space ? 0.0 : decay[i + 1];
  top.m_t = lower_is_half_space ? 0.0 : m * lower.thickness;
  const FaceForms a = face_forms(bottom, upper.poisson, upper.shear_modulus());
  const FaceForms b = face_forms(top, lower.poisson, lower.shear_modulus());
  if (record) {
    rows.above_displacement.setZero();
    rows.below_displacement.setZero();
  }
  Matrix4* ad = record ? &rows.above_displacement : nullptr;
  Matrix4* bd = record ? &rows.below_displacement : nullptr;
  add_row(rows.above, nullptr, 0, a.sigma_z, 1.0);
  add_row(rows.below, nullptr, 0, b.sigma_z, -1.0);
  add_row(rows.above, ad, 1, a.m_u_z, 1.0);
  add_row(rows.below, bd, 1, b.m_u_z, -1.0);
  switch (upper.below) {
    case InterfaceKind::bonded:
      add_row(rows.above, nullptr, 2, a.tau_rz, 1.0);
      add_row(rows.below, nullptr, 2, b.tau_rz, -1.0);
      add_row(rows.above, ad, 3, a.m_u_r, 1.0);
      add_row(rows.below, bd, 3, b.m_u_r, -1.0);
      break;
    case InterfaceKind::frictionless:
      add_row(rows.above, nullptr, 2, a.tau_rz, 1.0);
      add_row(rows.below, nullptr, 3, b.tau_rz, 1.0);
      break;
    case InterfaceKind::spring: {
      // tau = k (u_r below - u_r above); in the mode m tau = k (m u_r ..).
      // Written as w_t tau + w_u (m u_r above - m u_r below) = 0 with the
      // larger weight 1, so that no k / m overflows.
      const double k_over_m = upper.spring / m;
      const double w_t = k_over_m > 1.0 ? 1.0 / k_over_m : 1.0;
      const double w_u = k_over_m > 1.0 ? 1.0 : k_over_m;
      add_row(rows.above, nullptr, 2, a.tau_rz, 1.0);
      add_row(rows.below, nullptr, 2, b.tau_rz, -1.0);
      add_row(rows.above, nullptr, 3, a.tau_rz, w_t);
      add_row(rows.above, ad, 3, a.m_u_r, w_u);
      add_row(rows.below, bd, 3, b.m_u_r, -w_u);
      break;
    }
  }
}

// The recursion from the half-space up and the constants down; with
// `record`, what the derivatives need is kept in `work`.
void solve(const ScaledSection& section, double m, std::vector<double>& constants, bool record) {
  const std::size_t n = section.size();
  constants.assign(4 * n, 0.0);
  if (work.steps.size() < n) work.steps.resize(n);
  work.downgoing.resize(n);
  std::vector<double>& decay = work.decay;
  decay.resize(n);
  for (std::size_t i = 0; i < n; ++i) decay[i] = i + 1 < n ? std::exp(-m * section.layers[i].thickness) : 0.0;

  Matrix2 below_reflection = Matrix2::Zero();  // R_{i+1}: c3, c4 = R (c1, c2); 0 in the half-space
  for (std::size_t i = n - 1; i-- > 0;) {
    InterfaceRows rows;
    interface_rows(section, i, m, decay, record, rows);
    Matrix4 g;
    g.leftCols<2>() = rows.above.rightCols<2>();
    g.rightCols<2>() = rows.below.leftCols<2>() + rows.below.rightCols<2>() * below_reflection;
    Matrix42 f = -rows.above.leftCols<2>();
    // Equilibrated rows: they mix stresses and displacements over moduli
    // differing by orders of magnitude.
    for (int r = 0; r < 4; ++r) {
      const double largest = g.row(r).cwiseAbs().maxCoeff();
      if (largest == 0.0) continue;
      const double scale = 1.0 / largest;
      g.row(r) *= scale;
      f.row(r) *= scale;
      if (record) {
        rows.above_displacement.row(r) *= scale;
        rows.below_displacement.row(r) *= scale;
        rows.below.row(r) *= scale;
      }
    }
    Step& step = work.steps[i];
    step.lu.factor(g);
    step.x = step.lu.solve<2>(f);
    if (record) {
      const Matrix2 reflection = step.x.topRows<2>();
      step.above = rows.above_displacement.leftCols<2>() + rows.above_displacement.rightCols<2>() * reflection;
      step.below = (rows.below_displacement.leftCols<2>() + rows.below_displacement.rightCols<2>() * below_reflection) *
                   step.x.bottomRows<2>();
      step.below_upgoing = rows.below.rightCols<2>();
    }
    below_reflection = step.x.topRows<2>();
  }
  // Surface: sigma_z = -1, tau_rz = 0 with c3, c4 = R_0 (c1, c2).
  const ScaledLayer& top = section.layers[0];
  LayerPlace surface_place;  // s = 0, t = h
  surface_place.decay_bottom = decay[0];
  surface_place.m_t = n == 1 ? 0.0 : m * top.thickness;
  const FaceForms s = face_forms(surface_place, top.poisson, top.shear_modulus());
  for (int j = 0; j < 4; ++j) {
    work.surface(0, j) = s.sigma_z[static_cast<std::size_t>(j)];
    work.surface(1, j) = s.tau_rz[static_cast<std::size_t>(j)];
  }
  const Matrix2 surface = work.surface.leftCols<2>() + work.surface.rightCols<2>() * below_reflection;
  work.surface_lu.factor(surface);
  Vector2 u = work.surface_lu.solve<1>(Vector2(-1.0, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    work.downgoing[i] = u;
    constants[4 * i] = u(0);
    constants[4 * i + 1] = u(1);
    if (i + 1 == n) break;
    const Vector2 d = work.steps[i].x.topRows<2>() * u;
    constants[4 * i + 2] = d(0);
    constants[4 * i + 3] = d(1);
    u = work.steps[i].x.bottomRows<2>() * u;
  }
}

}  // namespace

void solve_layer_constants(const ScaledSection& section, double m, std::vector<double>& constants) {
  solve(section, m, constants, false);
}

void solve_layer_constants_and_derivatives(const ScaledSection& section, double m, std::vector<double>& constants,
                                           std::vector<double>& derivatives) {
  const std::size_t n = section.size();
  solve(section, m, constants, true);
  derivatives.assign(n * 4 * n, 0.0);
  // Forward differentiation of the recursion by E_l: the rows of layer l's
  // faces move by -(displacement part) / E_l (G is proportional to E), and
  // dX_i = G_i^-1 (dF_i - dG_i X_i) for the interfaces at and above l, where
  // dF_i - dG_i X_i = (above at i = l + below at i + 1 = l) / E_l
  //                   - (lower c3, c4 columns) dR_{i+1} T_i.
  for (std::size_t l = 0; l < n; ++l) {
    const double inverse_modulus = 1.0 / section.layers[l].modulus;
    std::vector<Matrix42>& dx = work.d_x;
    dx.resize(n);
    // Interfaces below layer l do not move with E_l.
    for (std::size_t i = l + 1; i < n; ++i) dx[i].setZero();
    Matrix2 d_below_reflection = Matrix2::Zero();
    for (std::size_t i = std::min(l + 1, n - 1); i-- > 0;) {
      const Step& step = work.steps[i];
      Matrix42 rhs = -step.below_upgoing * (d_below_reflection * step.x.bottomRows<2>());
      if (i == l) rhs += step.above * inverse_modulus;
      if (i + 1 == l) rhs += step.below * inverse_modulus;
      dx[i] = step.lu.solve<2>(rhs);
      d_below_reflection = dx[i].topRows<2>();
    }
    // The surface rows do not depend on the moduli: only R_0 moves.
    Vector2 du = Vector2::Zero();
    if (n > 1) du = -work.surface_lu.solve<1>(Vector2(work.surface.rightCols<2>() * (dx[0].topRows<2>() * work.downgoing[0])));
    double* d = derivatives.data() + l * 4 * n;
    for (std::size_t i = 0; i < n; ++i) {
      d[4 * i] = du(0);
      d[4 * i + 1] = du(1);
      if (i + 1 == n) break;
      const Matrix42& x = work.steps[i].x;
      const Vector2& u = work.downgoing[i];
      const Vector2 dd = dx[i].topRows<2>() * u + x.topRows<2>() * du;
      d[4 * i + 2] = dd(0);
      d[4 * i + 3] = dd(1);
      du = dx[i].bottomRows<2>() * u + x.bottomRows<2>() * du;
    }
  }
}

}  // namespace kestral::multilayer
