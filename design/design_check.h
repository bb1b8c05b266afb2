// The design check: for every criterion, season and axle group the critical
// strain and where it lies, the repetitions the criterion's model allows and
// the damage; for every criterion Miner's sum
//   D = sum over seasons s and axle groups g of share_s * repetitions_g / N_sg
// and the life it implies (1 / D times the traffic mix); the verdict.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "design/design_problem.h"

namespace kestral::design {

struct CaseResult {
  std::size_t season = 0, axle = 0;
  double strain = 0.0;    // magnitude (0 where the strain is of the other sign everywhere)
  double x = 0.0, y = 0.0;  // mm
  double allowed = 0.0;   // repetitions; infinity for an unlimited life
  double damage = 0.0;    // share * repetitions / allowed
};

struct CriterionResult {
  std::string name;
  double damage = 0.0;  // Miner's sum; infinity where an endurance limit is exceeded
  double life = 0.0;    // 1 / damage: repetitions of the whole traffic mix; infinity when damage is 0
  std::vector<CaseResult> cases;  // season by season, axle groups in order
};

struct CheckResult {
  std::vector<CriterionResult> criteria;
  bool pass = false;           // every damage at most 1
  std::size_t governing = 0;   // the criterion of the largest damage (the first of equals)
  std::size_t engine_points = 0;
};

// Checks `problem` with its section's thicknesses replaced by those of
// `section` (the same layers; moduli come from the seasons). Throws
// multilayer::InvalidProblem where the engine refuses the section.
CheckResult check_design(const DesignProblem& problem, const multilayer::Section& section);
CheckResult check_design(const DesignProblem& problem);

}  // namespace kestral::design
