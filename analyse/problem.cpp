#include "analyse/problem.h"

#include "multilayer/validation.h"

namespace kestral::analyse {

bool tolerance_allowed(double tolerance) {
  return tolerance > multilayer::kMinTolerance && tolerance <= multilayer::kMaxTolerance;
}

}  // namespace kestral::analyse
