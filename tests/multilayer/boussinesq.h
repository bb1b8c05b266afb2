// Boussinesq's closed forms for a uniform pressure q on a circle of radius a
// on a homogeneous half-space (z down, tension positive), and the point-load
// solution integrated numerically over the circle: the oracles of the
// half-space tests, independent of the engine's Hankel formulation.
#pragma once

#include <cmath>
#include <numbers>

namespace kestral::multilayer::testing {

struct AxisValues {
  double sigma_z, sigma_r, u_z;
};

// On the axis at depth z.
inline AxisValues boussinesq_axis(double q, double a, double z, double E, double nu) {
  const double s = std::sqrt(a * a + z * z);
  AxisValues v;
  v.sigma_z = -q * (1.0 - z * z * z / (s * s * s));
  v.sigma_r = -q / 2.0 * ((1.0 + 2.0 * nu) - 2.0 * (1.0 + nu) * z / s + z * z * z / (s * s * s));
  // s - z = a^2 / (s + z), z - z^2 / s = z a^2 / (s (s + z)): no cancellation deep down.
  const double s_minus_z = a * a / (s + z);
  v.u_z = q * (1.0 + nu) / E * (2.0 * (1.0 - nu) * s_minus_z + z * s_minus_z / s);
  return v;
}

// Point load P (down) at the origin: the components whose forms are
// unambiguous, at (x, y, z), z > 0.
struct PointLoadValues {
  double sigma_z, tau_xz, tau_yz, horizontal_sum, u_x, u_y, u_z;
};

inline PointLoadValues point_load(double P, double x, double y, double z, double E, double nu) {
  const double pi = std::numbers::pi;
  const double rho2 = x * x + y * y;
  const double R = std::sqrt(rho2 + z * z);
  const double R2 = R * R, R3 = R2 * R, R5 = R3 * R2;
  PointLoadValues v;
  v.sigma_z = -3.0 * P * z * z * z / (2.0 * pi * R5);
  v.tau_xz = -3.0 * P * x * z * z / (2.0 * pi * R5);
  v.tau_yz = -3.0 * P * y * z * z / (2.0 * pi * R5);
  // First invariant: -(1 + nu) P z / (pi R^3).
  v.horizontal_sum = -(1.0 + nu) * P * z / (pi * R3) - v.sigma_z;
  const double radial = P * (1.0 + nu) / (2.0 * pi * E * R) * (z / R2 - (1.0 - 2.0 * nu) / (R + z));
  v.u_x = radial * x;
  v.u_y = radial * y;
  v.u_z = P * (1.0 + nu) / (2.0 * pi * E * R) * (2.0 * (1.0 - nu) + z * z / R2);
  return v;
}

// The point-load solution integrated over the loaded circle (centre at the
// origin) by Gauss-Legendre in the radius and the trapezoidal rule in the
// angle; the field point must lie at a depth of at least a / 2, where the
// integrand is smooth (then 1e-12 of q, measured by doubling the nodes).
inline PointLoadValues disc_by_point_loads(double q, double a, double x, double y, double z, double E, double nu) {
  // 32-point Gauss-Legendre on [-1, 1] by Newton on the Legendre polynomial.
  constexpr int n = 48;
  double nodes[n], weights[n];
  for (int i = 0; i < n; ++i) {
    double t = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
    for (int it = 0; it < 100; ++it) {
      double p0 = 1, p1 = t;
      for (int k = 2; k <= n; ++k) {
        const double p2 = ((2.0 * k - 1) * t * p1 - (k - 1.0) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      const double dp = n * (t * p1 - p0) / (t * t - 1);
      const double step = p1 / dp;
      t -= step;
      if (std::fabs(step) < 1e-16) {
        nodes[i] = t;
        weights[i] = 2.0 / ((1 - t * t) * dp * dp);
        break;
      }
    }
  }
  constexpr int angles = 256;
  PointLoadValues sum{};
  for (int i = 0; i < n; ++i) {
    const double rho = a * (nodes[i] + 1.0) / 2.0;
    const double w_rho = weights[i] * a / 2.0 * rho;
    for (int j = 0; j < angles; ++j) {
      const double psi = 2.0 * std::numbers::pi * j / angles;
      const double w = w_rho * 2.0 * std::numbers::pi / angles * q;
      const PointLoadValues v = point_load(1.0, x - rho * std::cos(psi), y - rho * std::sin(psi), z, E, nu);
      sum.sigma_z += w * v.sigma_z;
      sum.tau_xz += w * v.tau_xz;
      sum.tau_yz += w * v.tau_yz;
      sum.horizontal_sum += w * v.horizontal_sum;
      sum.u_x += w * v.u_x;
      sum.u_y += w * v.u_y;
      sum.u_z += w * v.u_z;
    }
  }
  return sum;
}

}  // namespace kestral::multilayer::testing
