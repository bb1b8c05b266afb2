#include "backcalc/bowl_model.h"

#include <cmath>
#include <utility>

namespace kestral::backcalc {

namespace {

std::vector<multilayer::Point> sensor_points(const std::vector<double>& sensors) {
  std::vector<multilayer::Point> points;
  for (double offset : sensors) points.push_back({offset, 0.0, 0.0, multilayer::Side::both});
  return points;
}

multilayer::Options engine_options(double tolerance) {
  multilayer::Options options;
  options.tolerance = tolerance;
  options.quantities = {.stress = false, .displacement = true, .strain = false};
  options.threads = 1;  // the parallelism is over the drops
  return options;
}

double finite_or_throw(double value) {
  if (!std::isfinite(value)) throw multilayer::InvalidProblem("the engine gave a deflection that is not a number");
  return value;
}

}  // namespace

BowlModel::BowlModel(multilayer::Section section, double plate_radius, std::vector<double> sensors, double tolerance)
    : section_(std::move(section)),
      geometry_({{0.0, 0.0, plate_radius, 1.0}}, sensor_points(sensors), engine_options(tolerance)) {}

multilayer::Section BowlModel::with_moduli(const std::vector<double>& moduli) const {
  multilayer::Section section = section_;
  for (std::size_t k = 0; k < section.layers.size(); ++k) section.layers[k].modulus = moduli[k];
  return section;
}

std::vector<double> BowlModel::deflections(const std::vector<double>& moduli) const {
  std::vector<double> bowl(sensors());
  // Surface points lie on no interface: one row per sensor.
  for (const multilayer::Result& row : geometry_.analyse(with_moduli(moduli))) {
    bowl[row.point] = finite_or_throw(row.displacement.z);
  }
  return bowl;
}

std::vector<double> BowlModel::deflections_and_slopes(const std::vector<double>& moduli,
                                                      const std::vector<std::size_t>& searched,
                                                      std::vector<std::vector<double>>& slopes) const {
  const multilayer::ModulusDerivatives run = geometry_.analyse_with_derivatives(with_moduli(moduli));
  std::vector<double> bowl(sensors());
  for (const multilayer::Result& row : run.rows) bowl[row.point] = finite_or_throw(row.displacement.z);
  slopes.assign(searched.size(), std::vector<double>(bowl.size()));
  for (std::size_t j = 0; j < searched.size(); ++j) {
    const std::size_t layer = searched[j];
    for (const multilayer::Result& row : run.by_modulus[layer]) {
      slopes[j][row.point] = finite_or_throw(moduli[layer] * row.displacement.z);
    }
  }
  return bowl;
}

}  // namespace kestral::backcalc
