// A design check as kestral-design understands it: the section (read as
// kestral-analyse reads `layers`), the traffic as axle groups, the criteria
// with their performance models, the seasons and the optional thickness
// search. Everything in the engine's units (mm, MPa, N).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analyse/problem.h"
#include "design/performance_model.h"

namespace kestral::design {

enum class AxleGroup { single, tandem, tridem };
enum class TyreSet { single, dual };

struct Axle {
  std::string name;
  AxleGroup group = AxleGroup::single;
  TyreSet tyres = TyreSet::dual;
  double load = 0.0;          // the group's total, N
  double pressure = 0.0;      // MPa
  double dual_spacing = 0.0;  // mm, between the tyres of a dual set
  double axle_spacing = 0.0;  // mm, between axles of a tandem or tridem
  double track = 1800.0;      // mm, between the centres of an axle's two tyre sets
  double repetitions = 0.0;   // passes of the group over the design life
};

// The face of a layer a criterion looks at.
enum class Face { top, bottom };

struct Criterion {
  std::string name;
  StrainKind strain = StrainKind::horizontal_tensile;
  std::size_t layer = 0;      // index, top layer 0
  Face at = Face::bottom;
  PerformanceModel model;
};

struct Season {
  std::string name;
  double share = 1.0;           // of the traffic
  std::vector<double> moduli;   // MPa, one per layer (the layers' own where not given)
};

struct ThicknessRange {
  std::size_t layer = 0;
  double min = 0.0, max = 0.0, resolution = 0.0;  // mm
};

struct DesignProblem {
  analyse::Problem base;  // source, units, section, layer names, echo (as understood)
  std::vector<Axle> axles;
  std::vector<Criterion> criteria;
  std::vector<Season> seasons;  // at least one
  std::optional<ThicknessRange> thickness;
};

// The section of `problem` in `season`: its moduli in place of the layers'.
multilayer::Section section_in(const multilayer::Section& section, const Season& season);

}  // namespace kestral::design
