#include "multilayer/scaled_section.h"

#include <algorithm>
#include <cmath>

namespace kestral::multilayer {

ScaledSection scale_section(const Section& section, const std::vector<Load>& loads) {
  ScaledSection scaled;
  scaled.length_unit = 0.0;
  scaled.stress_unit = 0.0;
  for (const Load& load : loads) {
    scaled.length_unit = std::max(scaled.length_unit, load.radius);
    scaled.stress_unit = std::max(scaled.stress_unit, load.pressure);
  }
  double e_min = section.layers.front().modulus;
  for (const Layer& layer : section.layers) e_min = std::min(e_min, layer.modulus);
  scaled.modulus_unit = e_min;

  double depth = 0.0;
  const std::size_t n = section.layers.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Layer& layer = section.layers[i];
    ScaledLayer s;
    s.modulus = layer.modulus / e_min;
    s.poisson = layer.poisson;
    s.top = depth / scaled.length_unit;
    if (i + 1 < n) {
      s.thickness = layer.thickness / scaled.length_unit;
      s.below = layer.below.kind;
      s.spring = layer.below.kind == InterfaceKind::spring
                     ? layer.below.spring_stiffness * scaled.length_unit / e_min
                     : 0.0;
      depth += layer.thickness;
    }
    scaled.layers.push_back(s);
  }
  return scaled;
}

}  // namespace kestral::multilayer
