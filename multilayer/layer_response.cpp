#include "multilayer/layer_response.h"

namespace kestral::multilayer {

FormMatrix stress_function_forms(const LayerPlace& p) {
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

FaceForms face_forms(const LayerPlace& place, double nu, double g) {
  const FormMatrix P = stress_function_forms(place);
  FaceForms f{};
  for (int j = 0; j < 4; ++j) {
    f.sigma_z[j] = (1.0 - nu) * P[3][j] - (2.0 - nu) * P[1][j];
    f.tau_rz[j] = nu * P[2][j] + (1.0 - nu) * P[0][j];
    f.m_u_r[j] = P[1][j] / (2.0 * g);
    f.m_u_z[j] = ((1.0 - 2.0 * nu) * P[2][j] - 2.0 * (1.0 - nu) * P[0][j]) / (2.0 * g);
  }
  return f;
}

namespace {

ModeValues from_forms(double P0, double P1, double P2, double P3, double m, double nu, double g) {
  ModeValues v;
  v.sigma_z = (1.0 - nu) * P3 - (2.0 - nu) * P1;
  v.tau_rz = nu * P2 + (1.0 - nu) * P0;
  v.stress_sum = 2.0 * nu * P3 + (1.0 - 2.0 * nu) * P1;
  v.stress_difference = -P1;
  const double inverse_2gm = 1.0 / (2.0 * g * m);
  v.u_r = P1 * inverse_2gm;
  v.u_z = ((1.0 - 2.0 * nu) * P2 - 2.0 * (1.0 - nu) * P0) * inverse_2gm;
  return v;
}

}  // namespace

ModeValues mode_values(const std::array<double, 4>& c, const LayerPlace& p, double m, double nu,
                       double g) {
  const double top = p.decay_top;
  const double bottom = p.decay_bottom;
  const double ms = p.m_s;
  const double mt = p.m_t;
  const double P0 = top * (c[0] + c[1] * ms) + bottom * (c[2] + c[3] * mt);
  const double P1 = top * (-c[0] + c[1] * (1.0 - ms)) + bottom * (c[2] + c[3] * (mt - 1.0));
  const double P2 = top * (c[0] + c[1] * (ms - 2.0)) + bottom * (c[2] + c[3] * (mt - 2.0));
  const double P3 = top * (-c[0] + c[1] * (3.0 - ms)) + bottom * (c[2] + c[3] * (mt - 3.0));
  return from_forms(P0, P1, P2, P3, m, nu, g);
}

ModeValues half_space_mode_values(double m, double z, double decay, double nu, double g) {
  const double mz = m * z;
  const double P0 = -decay * (2.0 * nu + mz);
  const double P1 = decay * (2.0 * nu - 1.0 + mz);
  const double P2 = decay * (2.0 - 2.0 * nu - mz);
  const double P3 = decay * (2.0 * nu - 3.0 + mz);
  return from_forms(P0, P1, P2, P3, m, nu, g);
}

}  // namespace kestral::multilayer
