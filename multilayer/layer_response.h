// The transformed response of one layer to one Hankel mode.
//
// For the mode of parameter m (the surface pressure J0(m r)), Love's stress
// function in a layer is f(z) = J0(m r) F(z) / m^3 with
//   F = e^{-m s} (c1 + c2 m s) + e^{-m t} (c3 + c4 m t),
// s = z - top >= 0 and t = bottom - z >= 0: every exponential is referred to
// its own face and is at most 1, so nothing grows with depth or thickness
// (the half-space has c3 = c4 = 0). With P0 = F, P1 = F'/m, P2 = F''/m^2,
// P3 = F'''/m^3 (derivatives in z), the fields of the mode are
//   sigma_z   = J0(mr) [(1 - nu) P3 - (2 - nu) P1]
//   tau_rz    = J1(mr) [nu P2 + (1 - nu) P0]
//   sigma_r + sigma_t = J0(mr) [2 nu P3 + (1 - 2 nu) P1]
//   sigma_r - sigma_t = -J2(mr) P1
//   u_r       = J1(mr) P1 / (2 G m)
//   u_z       = J0(mr) [(1 - 2 nu) P2 - 2 (1 - nu) P0] / (2 G m)
// (z down, tension positive). Nothing divides by 1 - 2 nu: nu = 0.5 is an
// ordinary value.
#pragma once

#include <array>
#include <cstddef>

namespace kestral::multilayer {

// Where in a layer: the decays e^{-m s}, e^{-m t} and the products m s, m t.
struct LayerPlace {
  double decay_top = 1.0;     // e^{-m s}
  double m_s = 0.0;           // m s
  double decay_bottom = 0.0;  // e^{-m t} (0 in the half-space)
  double m_t = 0.0;           // m t
};

// P0..P3 (rows) as linear forms in c1..c4 (columns) at a place.
using FormMatrix = std::array<std::array<double, 4>, 4>;
// Inline: the layer solve calls it three times per node and interface.
inline FormMatrix stress_function_forms(const LayerPlace& p) {
  const double es = p.decay_top;
  const double et = p.decay_bottom;
  // d/dz of e^{-m s} (..) brings -m, of e^{-m t} (..) brings +m: hence the
  // alternating signs of the top terms only.
  return {{
      {es, es * p.m_s, et, et * p.m_t},
      {-es, es * (1.0 - p.m_s), et, et * (p.m_t - 1.0)},
      {es, es * (p.m_s - 2.0), et, et * (p.m_t - 2.0)},
      {-es, es * (3.0 - p.m_s), et, et * (p.m_t - 3.0)},
  }};
}

// The four quantities an interface couples, each a linear form in c1..c4:
// sigma_z, tau_rz, m u_r, m u_z (coefficients of J0, J1, J1, J0).
struct FaceForms {
  std::array<double, 4> sigma_z, tau_rz, m_u_r, m_u_z;
};
inline FaceForms face_forms(const LayerPlace& place, double nu, double g) {
  const FormMatrix P = stress_function_forms(place);
  const double inverse_2g = 1.0 / (2.0 * g);
  FaceForms f{};
  for (std::size_t j = 0; j < 4; ++j) {
    f.sigma_z[j] = (1.0 - nu) * P[3][j] - (2.0 - nu) * P[1][j];
    f.tau_rz[j] = nu * P[2][j] + (1.0 - nu) * P[0][j];
    f.m_u_r[j] = P[1][j] * inverse_2g;
    f.m_u_z[j] = ((1.0 - 2.0 * nu) * P[2][j] - 2.0 * (1.0 - nu) * P[0][j]) * inverse_2g;
  }
  return f;
}

// The six transformed quantities at a point, per unit surface mode: the
// factors of J0, J0 (sum), J2 (difference), J1, J1, J0 in the integrands.
struct ModeValues {
  double sigma_z = 0, stress_sum = 0, stress_difference = 0, tau_rz = 0, u_r = 0, u_z = 0;
};
ModeValues mode_values(const std::array<double, 4>& c, const LayerPlace& place, double m,
                       double poisson, double shear_modulus);

// The same for the homogeneous half-space of (poisson, shear_modulus) at
// depth z, in closed form: c1 = -2 nu, c2 = -1.
ModeValues half_space_mode_values(double m, double z, double decay, double poisson,
                                  double shear_modulus);

}  // namespace kestral::multilayer
