#include "multilayer/layer_response.h"

namespace kestral::multilayer {

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
