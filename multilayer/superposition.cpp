#include "multilayer/superposition.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "multilayer/principal_values.h"

namespace kestral::multilayer {

void add_load(Superposed& total, const LoadIntegrals& li, double dx, double dy, double r, double pressure,
              double radius) {
  const double qa = pressure * radius;
  const double c = r > 0.0 ? dx / r : 1.0;
  const double s = r > 0.0 ? dy / r : 0.0;
  const double cos2 = c * c - s * s;
  const double sin2 = 2.0 * c * s;
  const ModeValues& v = li.value;
  const ModeValues& e = li.error;
  const double sum = qa * v.stress_sum;
  const double difference = qa * v.stress_difference;
  const double tau = qa * v.tau_rz;
  total.stress.xx += sum / 2.0 + difference / 2.0 * cos2;
  total.stress.yy += sum / 2.0 - difference / 2.0 * cos2;
  total.stress.xy += difference / 2.0 * sin2;
  total.stress.zz += qa * v.sigma_z;
  total.stress.xz += tau * c;
  total.stress.yz += tau * s;
  const double u_r = qa * v.u_r;
  total.displacement.x += u_r * c;
  total.displacement.y += u_r * s;
  total.displacement.z += qa * v.u_z;

  // Rounding of the rotation: a few units in the last place of the parts.
  const double rounding = 8.0 * DBL_EPSILON * (std::fabs(sum) + std::fabs(difference) + std::fabs(tau));
  total.stress_error += qa * std::max({(e.stress_sum + e.stress_difference) / 2.0, e.sigma_z, e.tau_rz}) + rounding;
  total.displacement_error += qa * std::max(e.u_r, e.u_z) + 8.0 * DBL_EPSILON * std::fabs(u_r);
}

namespace {

SymmetricTensor scaled(const SymmetricTensor& t, double f) {
  return {t.xx * f, t.yy * f, t.zz * f, t.xy * f, t.yz * f, t.xz * f};
}

Vector3 scaled(const Vector3& v, double f) { return {v.x * f, v.y * f, v.z * f}; }

}  // namespace

namespace {

SymmetricTensor hooke(const SymmetricTensor& s, double nu, double E) {
  const double trace = s.xx + s.yy + s.zz;
  return {((1.0 + nu) * s.xx - nu * trace) / E, ((1.0 + nu) * s.yy - nu * trace) / E,
          ((1.0 + nu) * s.zz - nu * trace) / E, (1.0 + nu) * s.xy / E,
          (1.0 + nu) * s.yz / E,                 (1.0 + nu) * s.xz / E};
}

}  // namespace

Result finish_derivative_row(const Superposed& derivative, const Superposed& total, const ScaledLayer& layer,
                             bool own_layer, const ScaledSection& section) {
  SymmetricTensor strain = hooke(derivative.stress, layer.poisson, layer.modulus);
  if (own_layer) {
    const SymmetricTensor e = hooke(total.stress, layer.poisson, layer.modulus);
    const double f = 1.0 / layer.modulus;
    strain = {strain.xx - e.xx * f, strain.yy - e.yy * f, strain.zz - e.zz * f,
              strain.xy - e.xy * f, strain.yz - e.yz * f, strain.xz - e.xz * f};
  }
  // d/dE = d/de / E_min, e = E / E_min the scaled modulus.
  const double per_modulus = 1.0 / section.modulus_unit;
  const double stress_unit = section.stress_unit * per_modulus;
  const double strain_unit = section.stress_unit / section.modulus_unit * per_modulus;
  const double displacement_unit = strain_unit * section.length_unit;
  Result row;
  row.stress = scaled(derivative.stress, stress_unit);
  row.displacement = scaled(derivative.displacement, displacement_unit);
  row.strain = scaled(strain, strain_unit);
  return row;
}

Result finish_row(const Superposed& total, const ScaledLayer& layer, const ScaledSection& section) {
  const double nu = layer.poisson;
  const double E = layer.modulus;
  const SymmetricTensor& s = total.stress;
  const double trace = s.xx + s.yy + s.zz;
  SymmetricTensor strain;
  strain.xx = ((1.0 + nu) * s.xx - nu * trace) / E;
  strain.yy = ((1.0 + nu) * s.yy - nu * trace) / E;
  strain.zz = ((1.0 + nu) * s.zz - nu * trace) / E;
  strain.xy = (1.0 + nu) * s.xy / E;
  strain.yz = (1.0 + nu) * s.yz / E;
  strain.xz = (1.0 + nu) * s.xz / E;
  const double strain_error = (1.0 + 4.0 * nu) * total.stress_error / E;

  const double stress_unit = section.stress_unit;
  const double strain_unit = section.stress_unit / section.modulus_unit;
  const double displacement_unit = strain_unit * section.length_unit;
  Result row;
  row.stress = scaled(s, stress_unit);
  row.displacement = scaled(total.displacement, displacement_unit);
  row.strain = scaled(strain, strain_unit);
  row.principal_stress = principal_values(row.stress);
  row.principal_strain = principal_values(row.strain);
  row.horizontal_strain_max = horizontal_principal_max(row.strain);
  // The eigen-solver's own rounding: a few DBL_EPSILON of the tensor's size.
  const double stress_size = std::max({std::fabs(row.principal_stress.x), std::fabs(row.principal_stress.z)});
  const double strain_size = std::max({std::fabs(row.principal_strain.x), std::fabs(row.principal_strain.z)});
  row.stress_error = 3.0 * total.stress_error * stress_unit + 16.0 * DBL_EPSILON * stress_size;
  row.strain_error = 3.0 * strain_error * strain_unit + 16.0 * DBL_EPSILON * strain_size;
  row.displacement_error = total.displacement_error * displacement_unit;
  return row;
}

}  // namespace kestral::multilayer
