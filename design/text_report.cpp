// The readable summary of a design check: the numbers of the JSON and CSV
// reports (which keep every bit) laid out for a person, with the digits a
// person reads: four significant digits, strains in microstrain, places to a
// ten-thousandth of the larger coordinate (so 1e-6 mm off the axis reads 0).
#include <algorithm>
#include <cmath>
#include <iomanip>

#include "analyse/table_digits.h"
#include "design/design_report.h"
#include "format/shortest_text.h"

namespace kestral::design {
namespace {


// Digits a reader uses: the models' own constants carry no more.
constexpr int kReadableDigits = 4;

std::string readable(double value) {
  return analyse::table_number(value, 0.0, analyse::TableDigits{analyse::TableDigits::Mode::kSignificant, kReadableDigits});
}
std::string count_text(double value) { return std::isfinite(value) ? readable(value) : "unlimited"; }
std::string damage_text(double value) { return std::isfinite(value) ? readable(value) : "unbounded"; }
// A critical place (x, y), both rounded at the same decade.
std::string place_text(double x, double y) {
  const double scale = std::max(std::abs(x), std::abs(y));
  const analyse::TableDigits at_scale{analyse::TableDigits::Mode::kEstimate, 0};
  const double quantum = scale > 0.0 ? scale * std::pow(10.0, -kReadableDigits) : 0.0;
  std::string text = "(";
  text.append(analyse::table_number(x, quantum, at_scale)).append(", ").append(analyse::table_number(y, quantum, at_scale)).append(")");
  return text;
}

}  // namespace

void write_text_report(const DesignReport& report, std::ostream& out) {
  const DesignProblem& problem = report.problem;
  const double length = problem.base.units.length_factor();
  const std::string unit(analyse::unit_name(problem.base.units.length));
  out << "Design check of " << problem.base.source << "\n";
  for (const CriterionResult& criterion : report.check.criteria) {
    out << "\n" << criterion.name << ": damage " << (std::isfinite(criterion.damage) ? readable(criterion.damage) : "unbounded (endurance limit exceeded)")
        << ", life " << (std::isfinite(criterion.life) ? readable(criterion.life) + " times the traffic" : "unlimited") << "\n";
    out << "  season / axle group: critical strain (microstrain) at (x, y) " << unit << ", allowed repetitions, damage\n";
    for (const CaseResult& row : criterion.cases) {
      out << "  " << problem.seasons[row.season].name << " / " << problem.axles[row.axle].name << ": " << readable(row.strain * 1e6)
          << " at " << place_text(row.x / length, row.y / length) << ", " << count_text(row.allowed) << ", "
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
