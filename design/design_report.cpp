#include "design/design_report.h"

#include <cmath>
#include <sstream>

#include "analyse/csv_writer.h"
#include "analyse/field_reader.h"
#include "format/shortest_text.h"

namespace kestral::design {
namespace {

using nlohmann::ordered_json;

// A count that may be infinite: null in JSON.
ordered_json finite_or_null(double value) { return std::isfinite(value) ? ordered_json(value) : ordered_json(nullptr); }

std::string csv_number(double value) { return std::isfinite(value) ? shortest_text(value) : "inf"; }

ordered_json damages(const DesignProblem& problem, const CheckResult& check) {
  ordered_json result = ordered_json::object();
  for (std::size_t c = 0; c < check.criteria.size(); ++c) result[problem.criteria[c].name] = finite_or_null(check.criteria[c].damage);
  return result;
}

}  // namespace

std::string layer_label(const DesignProblem& problem, std::size_t layer) {
  const std::string& name = problem.base.layer_names[layer];
  return name.empty() ? "layers[" + std::to_string(layer) + "]" : name;
}

DesignReport run_design(DesignProblem problem) {
  DesignReport report;
  report.check = check_design(problem);
  if (problem.thickness) report.thickness = search_thickness(problem);
  report.problem = std::move(problem);
  return report;
}

std::vector<std::string> report_notes(const DesignReport& report) {
  return report.thickness ? report.thickness->notes : std::vector<std::string>{};
}

void write_json_report(const DesignReport& report, std::ostream& out) { out << json_report_text(report); }

std::string json_report_text(const DesignReport& report) {
  const DesignProblem& problem = report.problem;
  const double length = problem.base.units.length_factor();
  ordered_json document;
  document["problem"] = problem.base.echo;
  ordered_json criteria = ordered_json::array();
  for (const CriterionResult& criterion : report.check.criteria) {
    ordered_json cases = ordered_json::array();
    for (const CaseResult& row : criterion.cases) {
      cases.push_back({{"season", problem.seasons[row.season].name}, {"axle", problem.axles[row.axle].name},
                       {"strain", row.strain}, {"x", row.x / length}, {"y", row.y / length},
                       {"allowed", finite_or_null(row.allowed)}, {"damage", finite_or_null(row.damage)}});
    }
    criteria.push_back({{"name", criterion.name}, {"damage", finite_or_null(criterion.damage)},
                        {"life", finite_or_null(criterion.life)}, {"cases", cases}});
  }
  document["criteria"] = criteria;
  document["verdict"] = report.check.pass ? "pass" : "fail";
  document["governing"] = problem.criteria[report.check.governing].name;
  if (report.thickness) {
    const ThicknessResult& found = *report.thickness;
    document["thickness"] = {
        {"layer", layer_label(problem, problem.thickness->layer)},
        {"value", found.value / length},
        {"damage", damages(problem, found.at)},
        {"damage_one_step_thinner", found.one_step_thinner ? damages(problem, *found.one_step_thinner) : ordered_json(nullptr)},
        {"status", status_name(found.status)}};
  }
  return document.dump(1) + "\n";
}

void write_csv_report(const DesignReport& report, std::ostream& out) {
  const DesignProblem& problem = report.problem;
  const double length = problem.base.units.length_factor();
  const std::string unit(analyse::unit_name(problem.base.units.length));
  out << "section,criterion,season,axle,strain,x_" << unit << ",y_" << unit << ",allowed,damage,life\n";
  const auto totals = [&](const std::string& section, const CheckResult& check) {
    for (const CriterionResult& criterion : check.criteria) {
      out << analyse::csv_field(section) << ',' << analyse::csv_field(criterion.name) << ",all,all,,,,,"
          << csv_number(criterion.damage) << ',' << csv_number(criterion.life) << '\n';
    }
  };
  for (const CriterionResult& criterion : report.check.criteria) {
    for (const CaseResult& row : criterion.cases) {
      out << "given," << analyse::csv_field(criterion.name) << ',' << analyse::csv_field(problem.seasons[row.season].name) << ','
          << analyse::csv_field(problem.axles[row.axle].name) << ',' << shortest_text(row.strain) << ',' << shortest_text(row.x / length)
          << ',' << shortest_text(row.y / length) << ',' << csv_number(row.allowed) << ',' << csv_number(row.damage) << ",\n";
    }
  }
  totals("given", report.check);
  if (report.thickness) {
    const ThicknessResult& found = *report.thickness;
    const std::string layer = layer_label(problem, problem.thickness->layer);
    totals(layer + " " + shortest_text(found.value / length) + " (" + status_name(found.status) + ")", found.at);
    if (found.one_step_thinner) {
      totals(layer + " " + shortest_text((found.value - problem.thickness->resolution) / length), *found.one_step_thinner);
    }
  }
}

}  // namespace kestral::design
