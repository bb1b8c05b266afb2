#include "multilayer/half_space_disc.h"

#include <algorithm>
#include <boost/math/quadrature/gauss.hpp>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace kestral::multilayer {
namespace {

constexpr unsigned kOrder = 16;
using Rule = boost::math::quadrature::gauss<double, kOrder>;

// Panel ends on [0, pi]: geometric from eps towards pi/4, then at most pi/4 wide.
std::vector<double> panel_ends(double eps) {
  constexpr double pi = std::numbers::pi;
  std::vector<double> ends{0.0};
  if (eps > 0.0 && eps < pi / 4) {
    for (double e = eps; e < pi / 4; e *= 2.0) ends.push_back(e);
  }
  const double from = ends.back();
  const int uniform = std::max(1, static_cast<int>(std::ceil((pi - from) / (pi / 4))));
  for (int i = 1; i <= uniform; ++i) ends.push_back(from + (pi - from) * i / uniform);
  return ends;
}

}  // namespace

DiscIntegrals disc_integrals(double r, double z, double a) {
  DiscIntegrals out;
  const bool depth = z > 0.0;
  const double eps =
      r > 0.0 ? std::sqrt(((a - r) * (a - r) + z * z) / (a * r)) : std::numeric_limits<double>::infinity();
  const std::vector<double> ends = panel_ends(eps);
  // Sums of the integrands (before the factor 1 / pi).
  double f_m1 = 0, f0 = 0, f1 = 0, gr_m1 = 0, gr0 = 0, gr1 = 0;
  const auto& x = Rule::abscissa();
  const auto& w = Rule::weights();
  for (std::size_t p = 0; p + 1 < ends.size(); ++p) {
    const double half = (ends[p + 1] - ends[p]) / 2.0;
    const double mid = (ends[p + 1] + ends[p]) / 2.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      for (int sign = -1; sign <= 1; sign += 2) {
        if (x[i] == 0.0 && sign > 0) continue;
        const double phi = mid + sign * half * x[i];
        const double weight = half * w[i];
        const double sin_half = std::sin(phi / 2.0);
        const double sin_phi = std::sin(phi);
        // a - r cos(phi) and R^2 without cancellation near phi = 0.
        const double d = (a - r) + 2.0 * r * sin_half * sin_half;
        const double R2 = (a - r) * (a - r) + 4.0 * a * r * sin_half * sin_half;
        const double S = std::sqrt(R2 + z * z);
        const double S_plus_z = S + z;
        const double sin2 = sin_phi * sin_phi;
        f_m1 += weight * d / S_plus_z;
        f0 += weight * d / (S * S_plus_z);
        gr_m1 += weight * sin2 / (S * S_plus_z);
        if (depth) {
          const double S3 = S * S * S;
          f1 += weight * d / S3;
          gr0 += weight * sin2 / S3;
          gr1 += weight * sin2 / (S3 * S * S);
        }
      }
    }
  }
  constexpr double inv_pi = std::numbers::inv_pi;
  out.f_m1 = inv_pi * f_m1;
  out.f0 = inv_pi * f0;
  out.z_f1 = inv_pi * z * f1;
  // G_k = r * (a / pi) * gr_k (G1 with a further 3 z).
  const double g_over_r_m1 = inv_pi * a * gr_m1;
  const double g_over_r_0 = inv_pi * a * gr0;
  out.g_m1 = r * g_over_r_m1;
  out.z_g0 = z * r * g_over_r_0;
  out.z_g1 = z * 3.0 * z * r * inv_pi * a * gr1;
  // J2(x) = 2 J1(x) / x - J0(x).
  out.h0 = 2.0 * g_over_r_m1 - out.f0;
  out.z_h1 = z * 2.0 * g_over_r_0 - out.z_f1;
  return out;
}

ModeValues half_space_disc_response(double r, double z, double a, double nu, double g) {
  const DiscIntegrals d = disc_integrals(r, z, a);
  ModeValues v;
  v.sigma_z = -(d.f0 + d.z_f1);
  v.stress_sum = -(1.0 + 2.0 * nu) * d.f0 + d.z_f1;
  v.stress_difference = (1.0 - 2.0 * nu) * d.h0 - d.z_h1;
  v.tau_rz = -d.z_g1;
  v.u_r = ((2.0 * nu - 1.0) * d.g_m1 + d.z_g0) / (2.0 * g);
  v.u_z = (2.0 * (1.0 - nu) * d.f_m1 + z * d.f0) / (2.0 * g);
  return v;
}

}  // namespace kestral::multilayer
