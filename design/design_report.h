// A whole run of kestral-design: the check of the section as given, the
// thickness search when the problem asks for one, and the three ways to
// write it. Lengths go out in the problem's unit; strains are dimensionless;
// repetitions and damage are counts. The JSON report:
//   {"problem": <as understood>,
//    "criteria": [{"name", "damage", "life",
//                  "cases": [{"season", "axle", "strain", "x", "y", "allowed", "damage"}]}],
//    "verdict": "pass" | "fail", "governing": "<criterion>",
//    "thickness": {"layer", "value", "damage": {...}, "damage_one_step_thinner": {...} | null,
//                  "status": "found" | "max_fails" | "min_passes"}}
// An infinite life or allowance is written null (with damage 0); an
// endurance limit exceeded gives allowed 0, damage null and life 0.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "design/design_check.h"
#include "design/thickness_search.h"

namespace kestral::design {

struct DesignReport {
  DesignProblem problem;
  CheckResult check;
  std::optional<ThicknessResult> thickness;
};

// Checks the problem and searches its thickness when asked. Throws
// multilayer::InvalidProblem where the engine refuses a section.
DesignReport run_design(DesignProblem problem);

// Notes for standard error (a damage that rose with the thickness).
std::vector<std::string> report_notes(const DesignReport& report);

void write_json_report(const DesignReport& report, std::ostream& out);
void write_csv_report(const DesignReport& report, std::ostream& out);
void write_text_report(const DesignReport& report, std::ostream& out);

// The name the reports give a layer: its own, or layers[i] when it has none.
std::string layer_label(const DesignProblem& problem, std::size_t layer);

// The JSON report as text: what kestral-design --format json prints.
std::string json_report_text(const DesignReport& report);

}  // namespace kestral::design
