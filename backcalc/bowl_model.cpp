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
  options.threads = 1;  // the parallelism is over the drops
  return options;
}

}  // namespace

BowlModel::BowlModel(multilayer::Section section, double plate_radius, std::vector<double> sensors, double tolerance)
    : section_(std::move(section)),
      geometry_({{0.0, 0.0, plate_radius, 1.0}}, sensor_points(sensors), engine_options(tolerance)) {
  for (std::size_t k = 0; k + 1 < section_.layers.size(); ++k) {
    homogeneous_ = homogeneous_ && section_.layers[k].below.kind != multilayer::InterfaceKind::spring;
  }
}

std::vector<double> BowlModel::deflections(const std::vector<double>& moduli) const {
  multilayer::Section section = section_;
  for (std::size_t k = 0; k < section.layers.size(); ++k) section.layers[k].modulus = moduli[k];
  const std::vector<multilayer::Result> rows = geometry_.analyse(section);
  std::vector<double> bowl(sensors());
  for (const multilayer::Result& row : rows) {
    const double uz = row.displacement.z;
    if (!std::isfinite(uz)) throw multilayer::InvalidProblem("the engine gave a deflection that is not a number");
    bowl[row.point] = uz;
  }
  return bowl;
}

std::vector<double> BowlModel::deflections_and_slopes(const std::vector<double>& moduli,
                                                      const std::vector<std::size_t>& searched,
                                                      std::vector<std::vector<double>>& slopes,
                                                      const std::vector<double>* known) const {
  std::vector<double> bowl = known != nullptr ? *known : deflections(moduli);
  const std::size_t n = sensors();
  slopes.assign(searched.size(), std::vector<double>(n));
  // Scaling every modulus by c scales every deflection by 1/c, so the
  // slopes with respect to all the log-moduli sum to -d: when every modulus
  // is searched, the last slope costs no engine run. (A spring interface's
  // stiffness does not scale with the moduli: then every slope is stepped.)
  const bool last_from_sum = homogeneous_ && searched.size() == section_.layers.size() && searched.size() > 1;
  const std::size_t stepped_count = last_from_sum ? searched.size() - 1 : searched.size();
  for (std::size_t j = 0; j < stepped_count; ++j) {
    std::vector<double> stepped = moduli;
    stepped[searched[j]] *= std::exp(kLogStep);
    const std::vector<double> high = deflections(stepped);
    for (std::size_t i = 0; i < n; ++i) slopes[j][i] = (high[i] - bowl[i]) / kLogStep;
  }
  if (last_from_sum) {
    for (std::size_t i = 0; i < n; ++i) {
      double sum = -bowl[i];
      for (std::size_t j = 0; j < stepped_count; ++j) sum -= slopes[j][i];
      slopes.back()[i] = sum;
    }
  }
  return bowl;
}

}  // namespace kestral::backcalc
