#include "backcalc/bowl_model.h"

#include <cmath>
#include <utility>

namespace kestral::backcalc {

BowlModel::BowlModel(multilayer::Section section, double plate_radius, std::vector<double> sensors, double tolerance)
    : section_(std::move(section)), plate_{{0.0, 0.0, plate_radius, 1.0}} {
  for (double offset : sensors) points_.push_back({offset, 0.0, 0.0, multilayer::Side::both});
  options_.tolerance = tolerance;
  options_.threads = 1;  // the parallelism is over the drops
}

std::vector<double> BowlModel::deflections(const std::vector<double>& moduli) const {
  multilayer::Section section = section_;
  for (std::size_t k = 0; k < section.layers.size(); ++k) section.layers[k].modulus = moduli[k];
  const std::vector<multilayer::Result> rows = multilayer::analyse(section, plate_, points_, options_);
  std::vector<double> bowl(points_.size());
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
  slopes.assign(searched.size(), std::vector<double>(points_.size()));
  for (std::size_t j = 0; j < searched.size(); ++j) {
    std::vector<double> stepped = moduli;
    stepped[searched[j]] *= std::exp(kLogStep);
    const std::vector<double> high = deflections(stepped);
    for (std::size_t i = 0; i < points_.size(); ++i) slopes[j][i] = (high[i] - bowl[i]) / kLogStep;
  }
  return bowl;
}

}  // namespace kestral::backcalc
