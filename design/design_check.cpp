#include "design/design_check.h"

#include <cmath>

#include "design/axle_layout.h"
#include "design/critical_strain.h"

namespace kestral::design {

CheckResult check_design(const DesignProblem& problem, const multilayer::Section& section) {
  CheckResult result;
  const std::size_t criteria = problem.criteria.size(), axles = problem.axles.size();
  std::vector<TyreLayout> layouts;
  for (const Axle& axle : problem.axles) layouts.push_back(tyre_layout(axle));
  std::vector<FaceDepth> faces;
  for (const Criterion& criterion : problem.criteria) faces.push_back(face_depth(section, criterion.layer, criterion.at));
  // Each axle group's profile points on every criterion's face, the same
  // for every season (only the moduli change).
  std::vector<std::vector<ProfileGeometry>> profiles(axles);
  for (std::size_t g = 0; g < axles; ++g) {
    for (std::size_t c = 0; c < criteria; ++c) {
      const StrainField shape(section, layouts[g], faces[c], problem.criteria[c].strain);
      profiles[g].push_back(profile_geometry(layouts[g], faces[c], profile_reach(shape)));
    }
  }
  result.criteria.resize(criteria);
  for (std::size_t c = 0; c < criteria; ++c) result.criteria[c].name = problem.criteria[c].name;
  for (std::size_t s = 0; s < problem.seasons.size(); ++s) {
    const Season& season = problem.seasons[s];
    const multilayer::Section seasonal = section_in(section, season);
    for (std::size_t g = 0; g < axles; ++g) {
      // Every criterion's field under this group in this season: their
      // engine runs shared.
      std::vector<StrainField> fields;
      for (std::size_t c = 0; c < criteria; ++c) fields.emplace_back(seasonal, layouts[g], faces[c], problem.criteria[c].strain);
      std::vector<StrainField*> searched;
      std::vector<const ProfileGeometry*> shapes;
      for (std::size_t c = 0; c < criteria; ++c) {
        searched.push_back(&fields[c]);
        shapes.push_back(&profiles[g][c]);
      }
      const std::vector<CriticalStrain> critical = critical_strains(searched, shapes);
      for (std::size_t c = 0; c < criteria; ++c) {
        const Criterion& criterion = problem.criteria[c];
        result.engine_points += critical[c].engine_points;
        CaseResult row;
        row.season = s;
        row.axle = g;
        row.strain = std::max(critical[c].strain, 0.0);
        row.x = critical[c].x;
        row.y = critical[c].y;
        row.allowed = criterion.model.allowed(row.strain, season.moduli[criterion.layer]);
        const double traffic = season.share * problem.axles[g].repetitions;
        row.damage = traffic == 0.0 ? 0.0 : traffic / row.allowed;
        result.criteria[c].damage += row.damage;
        result.criteria[c].cases.push_back(row);
      }
    }
  }
  for (CriterionResult& summary : result.criteria) summary.life = 1.0 / summary.damage;
  result.pass = true;
  for (std::size_t c = 0; c < result.criteria.size(); ++c) {
    if (!(result.criteria[c].damage <= 1.0)) result.pass = false;
    if (result.criteria[c].damage > result.criteria[result.governing].damage) result.governing = c;
  }
  return result;
}

CheckResult check_design(const DesignProblem& problem) { return check_design(problem, problem.base.section); }

}  // namespace kestral::design
