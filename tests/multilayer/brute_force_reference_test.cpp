// A slow, deliberately simple reference in long double, sharing no code and
// no formulation with the engine: the transformed state (u_r, u_z, tau_rz,
// sigma_z) of each Hankel mode obeys a first-order system y' = A y per layer,
// derived here from Navier's equations; the two solutions that decay in the
// half-space are its null space of (A + m I)^2, carried up to the surface by
// matrix exponentials (upward, where they grow, re-orthonormalised at every
// station), mapped across each interface by its own condition, and combined
// to meet the surface load. The Hankel integrals are composite 16-point
// Gauss-Legendre sums on panels half the fastest half-period wide, up
// to exp(-m z) < 1e-17, the first graded geometrically towards m = 0. The engine at its default tolerance must lie within
// 1e-6 of each scale and within its own error estimate of this reference.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "multilayer/analysis.h"

namespace kestral::multilayer {
namespace {

using Real = long double;
using M4 = Eigen::Matrix<Real, 4, 4>;
using V4 = Eigen::Matrix<Real, 4, 1>;
using M42 = Eigen::Matrix<Real, 4, 2>;

struct RefLayer {
  Real E, nu, h;
  InterfaceKind kind;
  Real k;
};

// y = (U, W, T, Z): u_r = U J1, u_z = W J0, tau_rz = T J1, sigma_z = Z J0.
M4 system_matrix(Real m, Real E, Real nu) {
  const Real G = E / (2 * (1 + nu));
  M4 A;
  A << 0, m, 1 / G, 0,                                            // U' = m W + T / G
      -nu * m / (1 - nu), 0, 0, (1 - 2 * nu) / (2 * G * (1 - nu)),  // W' from sigma_z
      2 * G * m * m / (1 - nu), 0, 0, nu * m / (1 - nu),            // radial equilibrium
      0, 0, -m, 0;                                                  // vertical equilibrium
  return A;
}

M4 exponential(const M4& X) {
  const Real norm = X.cwiseAbs().rowwise().sum().maxCoeff();
  int squarings = norm > 0.25L ? static_cast<int>(std::ceil(std::log2(norm / 0.25L))) : 0;
  const M4 Y = X / std::ldexp(Real(1), squarings);
  M4 term = M4::Identity(), sum = M4::Identity();
  for (int k = 1; k < 20; ++k) {
    term = term * Y / Real(k);
    sum += term;
  }
  for (int i = 0; i < squarings; ++i) sum = sum * sum;
  return sum;
}

struct Station {
  std::size_t layer;  // layer of the row
  Real depth;         // depth of the point
  bool above;         // on an interface: the face above
};

struct ModeState {
  std::vector<V4> state;  // per station
};

// The states of one mode at every station.
std::vector<V4> mode_states(const std::vector<RefLayer>& layers, const std::vector<Station>& stations, Real m) {
  const std::size_t n = layers.size();
  std::vector<Real> tops(n, 0);
  for (std::size_t i = 1; i < n; ++i) tops[i] = tops[i - 1] + layers[i - 1].h;
  Real deepest = tops[n - 1];
  for (const Station& s : stations) deepest = std::max(deepest, s.depth);
  // Decaying solutions of the half-space at the deepest depth.
  const M4 A_last = system_matrix(m, layers[n - 1].E, layers[n - 1].nu);
  const M4 N = (A_last + m * M4::Identity()) * (A_last + m * M4::Identity());
  Eigen::FullPivLU<M4> lu(N);
  lu.setThreshold(1e-12L);
  M42 Y = lu.kernel();
  std::vector<M42> stored(stations.size(), M42::Zero());
  std::vector<bool> done(stations.size(), false);
  auto normalise = [&]() {
    Eigen::HouseholderQR<M42> qr(Y);
    const Eigen::Matrix<Real, 2, 2> R = qr.matrixQR().topLeftCorner<2, 2>().triangularView<Eigen::Upper>();
    const Eigen::Matrix<Real, 2, 2> Rinv = R.inverse();
    Y = Y * Rinv;
    for (std::size_t i = 0; i < stations.size(); ++i)
      if (done[i]) stored[i] = stored[i] * Rinv;
  };
  auto record = [&](std::size_t layer, Real depth, bool interface_above_side, bool at_interface) {
    for (std::size_t i = 0; i < stations.size(); ++i) {
      const Station& s = stations[i];
      if (done[i] || s.layer != layer || s.depth != depth) continue;
      if (at_interface && s.above != interface_above_side) continue;
      stored[i] = Y;
      done[i] = true;
    }
  };
  Real z = deepest;
  for (std::size_t layer = n; layer-- > 0;) {
    const M4 A = system_matrix(m, layers[layer].E, layers[layer].nu);
    // Stations in this layer, deepest first, then its top.
    std::vector<Real> depths;
    for (const Station& s : stations)
      if (s.layer == layer && s.depth <= z) depths.push_back(s.depth);
    depths.push_back(tops[layer]);
    std::sort(depths.rbegin(), depths.rend());
    for (Real d : depths) {
      if (d < z) {
        Y = exponential(-A * (z - d)) * Y;
        z = d;
        normalise();
      }
      const bool at_top = d == tops[layer] && layer > 0;
      const bool at_bottom = layer + 1 < n && d == tops[layer] + layers[layer].h;
      record(layer, d, at_bottom, at_top || at_bottom);
    }
    if (layer == 0) break;
    // Across the interface above this layer, to the face above it.
    const RefLayer& upper = layers[layer - 1];
    if (upper.kind == InterfaceKind::frictionless) {
      const Eigen::Matrix<Real, 2, 1> c(Y(2, 1), -Y(2, 0));  // T = 0 below
      const V4 kept = Y * c;
      for (std::size_t i = 0; i < stations.size(); ++i)
        if (done[i]) stored[i] = (M42() << stored[i] * c, V4::Zero()).finished();
      Y.col(0) = kept;
      Y.col(1) = V4(1, 0, 0, 0);  // the face above slides freely
    } else if (upper.kind == InterfaceKind::spring) {
      for (int j = 0; j < 2; ++j) Y(0, j) -= Y(2, j) / upper.k;  // u above = u below - tau / k
    }
    normalise();
  }
  // Surface: tau = 0, sigma_z = -1.
  Eigen::Matrix<Real, 2, 2> S;
  S << Y(2, 0), Y(2, 1), Y(3, 0), Y(3, 1);
  const Eigen::Matrix<Real, 2, 1> c = S.inverse() * Eigen::Matrix<Real, 2, 1>(0, -1);
  std::vector<V4> states;
  for (const M42& s : stored) states.push_back(s * c);
  return states;
}

struct Polar {
  Real sigma_z = 0, sigma_r = 0, sigma_t = 0, tau = 0, u_r = 0, u_z = 0;
};

std::vector<Polar> reference(const std::vector<RefLayer>& layers, const std::vector<Station>& stations,
                             const std::vector<Real>& offsets, Real a, Real q) {
  // 16-point Gauss-Legendre in long double.
  constexpr int order = 16;
  Real x[order], w[order];
  for (int i = 0; i < order; ++i) {
    Real t = std::cos(std::numbers::pi_v<Real> * (i + 0.75L) / (order + 0.5L));
    for (int it = 0; it < 50; ++it) {
      Real p0 = 1, p1 = t;
      for (int k = 2; k <= order; ++k) {
        const Real p2 = ((2 * k - 1) * t * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      const Real dp = order * (t * p1 - p0) / (t * t - 1);
      t -= p1 / dp;
      w[i] = 2 / ((1 - t * t) * dp * dp);
    }
    x[i] = t;
  }
  Real z_min = 1e30L, r_max = 0;
  for (const Station& s : stations) z_min = std::min(z_min, s.depth);
  for (Real r : offsets) r_max = std::max(r_max, r);
  const Real width = std::min(std::numbers::pi_v<Real> / (r_max + a), 2 / z_min) / 2;
  const Real upper = 40 / z_min;
  std::vector<Polar> out(stations.size());
  // Panels: [0, width] split geometrically towards 0 (the layer constants
  // vary on the scale 1 / depth there), then uniform.
  std::vector<Real> ends{0};
  for (int k = 20; k >= 0; --k) ends.push_back(std::ldexp(width, -k));
  while (ends.back() < upper) ends.push_back(ends.back() + width);
  for (std::size_t p = 0; p + 1 < ends.size(); ++p) {
    const Real lo = ends[p], panel = ends[p + 1] - ends[p];
    for (int i = 0; i < order; ++i) {
      const Real m = lo + panel * (x[i] + 1) / 2;
      const Real weight = panel / 2 * w[i] * q * a * std::cyl_bessel_j(1.0L, m * a);
      const std::vector<V4> y = mode_states(layers, stations, m);
      for (std::size_t k = 0; k < stations.size(); ++k) {
        const RefLayer& l = layers[stations[k].layer];
        const Real G = l.E / (2 * (1 + l.nu)), nu = l.nu;
        const Real U = y[k](0), W = y[k](1), T = y[k](2), Z = y[k](3);
        const Real sum = 2 * (2 * G * nu * m * U / (1 - nu) + nu * Z / (1 - nu)) + 2 * G * m * U;
        const Real difference = -2 * G * m * U;
        const Real r = offsets[k];
        const Real j0 = std::cyl_bessel_j(0.0L, m * r), j1 = std::cyl_bessel_j(1.0L, m * r);
        const Real j2 = r > 0 ? std::cyl_bessel_j(2.0L, m * r) : 0;
        out[k].sigma_z += weight * Z * j0;
        out[k].sigma_r += weight * (sum * j0 + difference * j2) / 2;
        out[k].sigma_t += weight * (sum * j0 - difference * j2) / 2;
        out[k].tau += weight * T * j1;
        out[k].u_r += weight * U * j1;
        out[k].u_z += weight * W * j0;
      }
    }
  }
  return out;
}

void compare(const std::vector<RefLayer>& layers) {
  const double a = 106.6, q = 0.7;
  Section section;
  for (const RefLayer& l : layers)
    section.layers.push_back(Layer{double(l.E), double(l.nu), double(l.h), Interface{l.kind, double(l.k)}});
  std::vector<Point> points;
  std::vector<Station> stations;
  std::vector<Real> offsets;
  std::vector<Real> depths{0.3L * a};
  Real top = 0;
  for (std::size_t i = 0; i + 1 < layers.size(); ++i) {
    depths.push_back(top + layers[i].h / 2);
    top += layers[i].h;
    depths.push_back(top);
  }
  depths.push_back(top + 2 * a);
  for (Real r : {0.0L, 0.7L * a, 1.5L * a}) {
    for (Real z : depths) {
      points.push_back({double(r), 0, double(z)});
      for (const Result& row : analyse(section, {Load{0, 0, a, q}}, {points.back()})) {
        stations.push_back({std::size_t(row.layer), z, row.face == Face::above});
        offsets.push_back(r);
      }
    }
  }
  const std::vector<Result> rows = analyse(section, {Load{0, 0, a, q}}, points);
  ASSERT_EQ(rows.size(), stations.size());
  const std::vector<Polar> ref = reference(layers, stations, offsets, a, q);
  double e_min = 1e300;
  for (const RefLayer& l : layers) e_min = std::min(e_min, double(l.E));
  double worst_s = 0, worst_u = 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Result& r = rows[k];
    SCOPED_TRACE("row " + std::to_string(k) + " z " + std::to_string(double(stations[k].depth)) + " r " +
                 std::to_string(double(offsets[k])));
    const double ts = std::min(1e-6 * q, r.stress_error + 1e-11 * q);
    const double tu = std::min(1e-6 * q * a / e_min, r.displacement_error + 1e-11 * q * a / e_min);
    const double ds[] = {r.stress.zz - double(ref[k].sigma_z), r.stress.xx - double(ref[k].sigma_r),
                         r.stress.yy - double(ref[k].sigma_t), r.stress.xz - double(ref[k].tau)};
    const double du[] = {r.displacement.x - double(ref[k].u_r), r.displacement.z - double(ref[k].u_z)};
    for (double d : ds) {
      EXPECT_LE(std::fabs(d), ts);
      worst_s = std::max(worst_s, std::fabs(d) / q);
    }
    for (double d : du) {
      EXPECT_LE(std::fabs(d), tu);
      worst_u = std::max(worst_u, std::fabs(d) / (q * a / e_min));
    }
    if (std::getenv("KESTRAL_SHOW_ROWS")) std::printf("%zu z %g r %g: %.3e %.3e %.3e %.3e | %.3e %.3e   ref %.6Le %.6Le\n", k, double(stations[k].depth), double(offsets[k]), ds[0], ds[1], ds[2], ds[3], du[0], du[1], ref[k].sigma_z, ref[k].u_z);
  }
  std::printf("worst against the brute-force reference: stress %.2e q, displacement %.2e q a / E_min\n", worst_s,
              worst_u);
}

TEST(BruteForceReference, BondedThreeLayers) {
  compare({{3000, 0.35L, 150, InterfaceKind::bonded, 0}, {300, 0.4L, 300, InterfaceKind::bonded, 0},
           {60, 0.45L, 0, InterfaceKind::bonded, 0}});
}

TEST(BruteForceReference, FrictionlessOverSpringOnIncompressible) {
  compare({{2000, 0.3L, 100, InterfaceKind::frictionless, 0}, {5000, 0.25L, 150, InterfaceKind::spring, 2},
           {100, 0.5L, 0, InterfaceKind::bonded, 0}});
}

TEST(BruteForceReference, FiveLayersOfEveryKind) {
  compare({{6000, 0.35L, 40, InterfaceKind::spring, 50}, {3000, 0.35L, 80, InterfaceKind::bonded, 0},
           {300, 0.5L, 200, InterfaceKind::frictionless, 0}, {150, 0.4L, 300, InterfaceKind::bonded, 0},
           {50, 0.45L, 0, InterfaceKind::bonded, 0}});
}

TEST(BruteForceReference, StiffPlateOnSoftGround) {
  // Moduli 1e4 apart: the plate's radius of relative stiffness is many
  // times its depth, and the layer constants vary on that scale near m = 0.
  compare({{1e5, 0.2L, 50, InterfaceKind::bonded, 0}, {10, 0.45L, 0, InterfaceKind::bonded, 0}});
}

}  // namespace
}  // namespace kestral::multilayer
