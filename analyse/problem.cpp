#include "analyse/problem.h"

#include "multilayer/analysis.h"

namespace kestral::analyse {

bool tolerance_allowed(double tolerance) {
  return tolerance > multilayer::kMinTolerance && tolerance <= multilayer::kMaxTolerance;
}

std::vector<multilayer::Load> engine_loads(const Problem& problem) {
  std::vector<multilayer::Load> loads;
  for (const LoadInput& load : problem.loads) {
    if (load.by_force) {
      loads.push_back(multilayer::Load::from_force(load.x, load.y, load.force, load.pressure));
    } else {
      loads.push_back(multilayer::Load{load.x, load.y, load.radius, load.pressure});
    }
  }
  return loads;
}

}  // namespace kestral::analyse
