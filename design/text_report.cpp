// The readable summary of a design check: the same numbers as the JSON and
// CSV reports, laid out for a person.
#include <cmath>
#include <iomanip>

#include "design/design_report.h"
#include "format/shortest_text.h"

namespace kestral::design {
namespace {


std::string count_text(double value) { return std::isfinite(value) ? shortest_text(value) : "unlimited"; }
std::string damage_text(double value) { return std::isfinite(value) ? shortest_text(value) : "unbounded"; }

}  // namespace

void write_text_report(const DesignReport& report, std::ostream& out) {
  const DesignProblem& problem = report.problem;
  const double length = problem.base.units.length_factor();
  const std::string unit(analyse::unit_name(problem.base.units.length));
  out << "Design check of " << problem.base.source << "\n";
  for (const CriterionResult& criterion : report.check.criteria) {
    out << "\n" << criterion.name << ": damage " << (std::isfinite(criterion.damage) ? shortest_text(criterion.damage) : "unbounded (endurance limit exceeded)")
        << ", life " << (std::isfinite(criterion.life) ? shortest_text(criterion.life) + " times the traffic" : "unlimited") << "\n";
    out << "  season / axle group: critical strain at (x, y) " << unit << ", allowed repetitions, damage\n";
    for (const CaseResult& row : criterion.cases) {
      out << "  " << problem.seasons[row.season].name << " / " << problem.axles[row.axle].name << ": " << shortest_text(row.strain)
          << " at (" << shortest_text(row.x / length) << ", " << shortest_text(row.y / length) << "), " << count_text(row.allowed) << ", "
          << damage_text(row.damage) << "\n";
    }
  }
  out << "\nVerdict: " << (report.check.pass ? "pass" : "fail") << " (governing: " << problem.criteria[report.check.governing].name << ")\n";
  if (report.thickness) {
    const ThicknessResult& found = *report.thickness;
    const std::string name = layer_label(problem, problem.thickness->layer);
    const std::string value = shortest_text(found.value / length) + " " + unit;
    switch (found.status) {
      case ThicknessStatus::found: out << "Thickness of " << name << " needed: " << value << "\n"; break;
      case ThicknessStatus::max_fails: out << "Thickness of " << name << ": even the largest, " << value << ", fails\n"; break;
      case ThicknessStatus::min_passes: out << "Thickness of " << name << ": the smallest, " << value << ", already passes\n"; break;
    }
    for (std::size_t c = 0; c < found.at.criteria.size(); ++c) {
      out << "  " << found.at.criteria[c].name << ": damage " << damage_text(found.at.criteria[c].damage);
      if (found.one_step_thinner) {
        out << " (" << damage_text(found.one_step_thinner->criteria[c].damage) << " at " << shortest_text((found.value - problem.thickness->resolution) / length) << " " << unit << ")";
      }
      out << "\n";
    }
  }
}

}  // namespace kestral::design
