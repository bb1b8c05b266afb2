#include "design/design_check.h"

#include <cmath>

#include "design/axle_layout.h"
#include "design/critical_strain.h"

namespace kestral::design {

CheckResult check_design(const DesignProblem& problem, const multilayer::Section& section) {
  CheckResult result;
  std::vector<TyreLayout> layouts;
  for (const Axle& axle : problem.axles) layouts.push_back(tyre_layout(axle));
  for (const Criterion& criterion : problem.criteria) {
    CriterionResult summary;
    summary.name = criterion.name;
    const FaceDepth face = face_depth(section, criterion.layer, criterion.at);
    // Each axle group's profile points, prepared once for every season.
    std::vector<ProfileGeometry> profiles;
    for (const TyreLayout& layout : layouts) {
      const StrainField shape(section, layout, face, criterion.strain);
      profiles.push_back(profile_geometry(layout, face, profile_reach(shape)));
    }
    for (std::size_t s = 0; s < problem.seasons.size(); ++s) {
      const Season& season = problem.seasons[s];
      const multilayer::Section seasonal = section_in(section, season);
      for (std::size_t g = 0; g < problem.axles.size(); ++g) {
        StrainField field(seasonal, layouts[g], face, criterion.strain);
        const CriticalStrain critical = critical_strain(field, &profiles[g]);
        result.engine_points += critical.engine_points;
        CaseResult row;
        row.season = s;
        row.axle = g;
        row.strain = std::max(critical.strain, 0.0);
        row.x = critical.x;
        row.y = critical.y;
        row.allowed = criterion.model.allowed(row.strain, season.moduli[criterion.layer]);
        const double traffic = season.share * problem.axles[g].repetitions;
        row.damage = traffic == 0.0 ? 0.0 : traffic / row.allowed;
        summary.damage += row.damage;
        summary.cases.push_back(row);
      }
    }
    summary.life = 1.0 / summary.damage;
    result.criteria.push_back(summary);
  }
  result.pass = true;
  for (std::size_t c = 0; c < result.criteria.size(); ++c) {
    if (!(result.criteria[c].damage <= 1.0)) result.pass = false;
    if (result.criteria[c].damage > result.criteria[result.governing].damage) result.governing = c;
  }
  return result;
}

CheckResult check_design(const DesignProblem& problem) { return check_design(problem, problem.base.section); }

}  // namespace kestral::design
