#include "analyse/problem.h"

#include "multilayer/analysis.h"

namespace kestral::analyse {

bool tolerance_allowed(double tolerance) {
  return tolerance > multilayer::kMinTolerance && tolerance <= multilayer::kMaxTolerance;
}

}  // namespace kestral::analyse
