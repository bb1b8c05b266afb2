#include "multilayer/layer_solve.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "multilayer/banded_lu.h"
#include "multilayer/layer_response.h"

namespace kestral::multilayer {
namespace {

// An entry of the system that comes from a displacement form (1 / G of its
// layer): what d/dE of the layer changes.
struct DisplacementEntry {
  std::size_t row, column;
  double value;
};

struct Work {
  BandMatrix matrix;
  std::vector<double> rhs;
  std::vector<double> decay;
  std::vector<double> row_scale;
  std::vector<std::size_t> pivots;
  std::vector<DisplacementEntry> displacement_entries;
  bool record = false;
};

// The rows couple the four constants of a layer with those of the next:
// 5 diagonals below and 5 above.
constexpr std::size_t kLower = 5;
constexpr std::size_t kUpper = 5;

// One per thread, reused from node to node.
thread_local Work work;

class SystemBuilder {
 public:
  SystemBuilder(std::size_t order, Work& w) : n_(order), matrix_(w.matrix), rhs_(w.rhs), work_(w) {
    matrix_.reset(n_, kLower, kUpper);
    rhs_.assign(n_, 0.0);
    work_.row_scale.assign(n_, 1.0);
    work_.displacement_entries.clear();
  }

  // Adds weight * form of layer `layer` to row `row` (the half-space has two
  // columns only; its c3, c4 forms are dropped).
  // A displacement form is recorded too when the derivatives are asked for.
  void add(std::size_t row, std::size_t layer, bool half_space, const std::array<double, 4>& form,
           double weight, bool displacement = false) {
    const std::size_t columns = half_space ? 2 : 4;
    for (std::size_t j = 0; j < columns; ++j) {
      const double value = weight * form[j];
      matrix_.at(row, 4 * layer + j) += value;
      if (displacement && work_.record) work_.displacement_entries.push_back({row, 4 * layer + j, value});
    }
  }

  // Scales every row to a largest entry of 1 (the rows mix stresses and
  // displacements over moduli differing by orders of magnitude).
  void equilibrate() {
    for (std::size_t row = 0; row < n_; ++row) {
      const std::size_t first = matrix_.first_column(row);
      const std::size_t last = std::min(n_ - 1, row + kUpper);
      // The row's band is contiguous: walked by pointer.
      double* entries = matrix_.address(row, first);
      const std::size_t count = last - first + 1;
      double largest = 0.0;
      for (std::size_t j = 0; j < count; ++j) largest = std::max(largest, std::fabs(entries[j]));
      if (largest == 0.0) continue;
      const double scale = 1.0 / largest;
      for (std::size_t j = 0; j < count; ++j) entries[j] *= scale;
      rhs_[row] *= scale;
      work_.row_scale[row] = scale;
    }
  }

 private:
  std::size_t n_;
  BandMatrix& matrix_;
  std::vector<double>& rhs_;
  Work& work_;
};

void assemble(const ScaledSection& section, double m) {
  const std::size_t layers = section.size();
  const std::size_t order = 4 * layers - 2;
  SystemBuilder system(order, work);

  // e^{-m h} of every layer above the half-space, once: both faces use it.
  work.decay.resize(layers);
  for (std::size_t i = 0; i + 1 < layers; ++i) work.decay[i] = std::exp(-m * section.layers[i].thickness);
  auto place_top = [&](std::size_t i) {
    const ScaledLayer& l = section.layers[i];
    const bool half_space = i + 1 == layers;
    LayerPlace p;
    p.decay_top = 1.0;
    p.m_s = 0.0;
    p.decay_bottom = half_space ? 0.0 : work.decay[i];
    p.m_t = half_space ? 0.0 : m * l.thickness;
    return p;
  };
  auto place_bottom = [&](std::size_t i) {
    const ScaledLayer& l = section.layers[i];
    LayerPlace p;
    p.decay_top = work.decay[i];
    p.m_s = m * l.thickness;
    p.decay_bottom = 1.0;
    p.m_t = 0.0;
    return p;
  };

  // Surface: sigma_z = -1, tau_rz = 0.
  {
    const ScaledLayer& top = section.layers[0];
    const FaceForms f = face_forms(place_top(0), top.poisson, top.shear_modulus());
    system.add(0, 0, layers == 1, f.sigma_z, 1.0);
    work.rhs[0] = -1.0;
    system.add(1, 0, layers == 1, f.tau_rz, 1.0);
  }

  for (std::size_t i = 0; i + 1 < layers; ++i) {
    const ScaledLayer& upper = section.layers[i];
    const ScaledLayer& lower = section.layers[i + 1];
    const bool lower_is_half_space = i + 2 == layers;
    const FaceForms above = face_forms(place_bottom(i), upper.poisson, upper.shear_modulus());
    const FaceForms below = face_forms(place_top(i + 1), lower.poisson, lower.shear_modulus());
    const std::size_t r = 2 + 4 * i;
    system.add(r, i, false, above.sigma_z, 1.0);
    system.add(r, i + 1, lower_is_half_space, below.sigma_z, -1.0);
    system.add(r + 1, i, false, above.m_u_z, 1.0, true);
    system.add(r + 1, i + 1, lower_is_half_space, below.m_u_z, -1.0, true);
    switch (upper.below) {
      case InterfaceKind::bonded:
        system.add(r + 2, i, false, above.tau_rz, 1.0);
        system.add(r + 2, i + 1, lower_is_half_space, below.tau_rz, -1.0);
        system.add(r + 3, i, false, above.m_u_r, 1.0, true);
        system.add(r + 3, i + 1, lower_is_half_space, below.m_u_r, -1.0, true);
        break;
      case InterfaceKind::frictionless:
        system.add(r + 2, i, false, above.tau_rz, 1.0);
        system.add(r + 3, i + 1, lower_is_half_space, below.tau_rz, 1.0);
        break;
      case InterfaceKind::spring: {
        // tau = k (u_r below - u_r above); in the mode m tau = k (m u_r ..).
        // Written as w_t tau + w_u (m u_r above - m u_r below) = 0 with the
        // larger weight 1, so that no k / m overflows.
        const double k_over_m = upper.spring / m;
        const double w_t = k_over_m > 1.0 ? 1.0 / k_over_m : 1.0;
        const double w_u = k_over_m > 1.0 ? 1.0 : k_over_m;
        system.add(r + 2, i, false, above.tau_rz, 1.0);
        system.add(r + 2, i + 1, lower_is_half_space, below.tau_rz, -1.0);
        system.add(r + 3, i, false, above.tau_rz, w_t);
        system.add(r + 3, i, false, above.m_u_r, w_u, true);
        system.add(r + 3, i + 1, lower_is_half_space, below.m_u_r, -w_u, true);
        break;
      }
    }
  }
  system.equilibrate();
}

}  // namespace

void solve_layer_constants(const ScaledSection& section, double m, std::vector<double>& constants) {
  work.record = false;
  assemble(section, m);
  solve_banded(work.matrix, work.rhs);
  constants.assign(4 * section.size(), 0.0);
  std::copy(work.rhs.begin(), work.rhs.end(), constants.begin());
}

void solve_layer_constants_and_derivatives(const ScaledSection& section, double m, std::vector<double>& constants,
                                           std::vector<double>& derivatives) {
  const std::size_t layers = section.size();
  work.record = true;
  assemble(section, m);
  work.record = false;
  factor_banded(work.matrix, work.pivots);
  solve_factored(work.matrix, work.pivots, work.rhs.data());
  constants.assign(4 * layers, 0.0);
  std::copy(work.rhs.begin(), work.rhs.end(), constants.begin());
  // A x = b with D A x = D b solved (D the row scales): d/dE_l of a
  // displacement entry is -entry / E_l (G is proportional to E), so
  // dx = -(D A)^-1 D (dA x) = (D A)^-1 D (U_l x) / E_l, U_l the layer's
  // displacement entries.
  const std::size_t order = work.rhs.size();
  derivatives.assign(layers * 4 * layers, 0.0);
  for (const DisplacementEntry& e : work.displacement_entries) {
    const std::size_t l = e.column / 4;
    derivatives[l * 4 * layers + e.row] += e.value * constants[e.column];
  }
  for (std::size_t l = 0; l < layers; ++l) {
    double* d = derivatives.data() + l * 4 * layers;
    const double inverse_modulus = 1.0 / section.layers[l].modulus;
    for (std::size_t row = 0; row < order; ++row) d[row] *= work.row_scale[row] * inverse_modulus;
    solve_factored(work.matrix, work.pivots, d);
    for (std::size_t row = order; row < 4 * layers; ++row) d[row] = 0.0;
  }
}

}  // namespace kestral::multilayer
