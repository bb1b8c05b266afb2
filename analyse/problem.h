// A problem as kestral-analyse understands it, whether it came from a JSON
// problem file or a legacy KESTRAL.in: the section, loads and points in the
// engine's units (mm, MPa, N), with what is needed to write the table back
// in the problem's own units and to echo the problem.
#pragma once

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analyse/units.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {

// A problem that cannot be analysed; the message is the whole diagnostic
// line, naming the file, the place in it and what is wrong.
class ProblemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A load as given: a force or a radius, with the pressure (engine units).
struct LoadInput {
  double x = 0.0, y = 0.0;
  bool by_force = true;  // `force` given (else `radius`)
  double force = 0.0;    // N
  double radius = 0.0;   // mm
  double pressure = 0.0; // MPa
};

// Most points one problem may hold (the table holds about 0.3 kB a row).
inline constexpr std::size_t kMaxProblemPoints = 1'000'000;

// The relative accuracy a problem may ask of the engine: above
// multilayer::kMinTolerance, at most multilayer::kMaxTolerance.
inline constexpr const char* kToleranceLimits = "above 1e-14 and at most 0.01";
bool tolerance_allowed(double tolerance);

struct Problem {
  std::string source;                      // the file, as messages name it
  Units units;                             // of the input, and of the table
  multilayer::Section section;             // mm, MPa; spring stiffness MPa/mm
  std::vector<std::string> layer_names;    // one per layer; empty when not named
  std::vector<LoadInput> loads;
  std::vector<multilayer::Point> points;   // mm; `points` first, then the grid
  std::vector<std::array<double, 3>> coordinates;  // x, y, z of each point as given
  double tolerance = multilayer::Options{}.tolerance;
  std::vector<std::string> notes;          // for standard error; not failures
  nlohmann::ordered_json echo;             // as understood, defaults filled in

  bool has_layer_names() const {
    return std::any_of(layer_names.begin(), layer_names.end(),
                       [](const std::string& name) { return !name.empty(); });
  }
};

// The engine's loads: Load::from_force for a load given by its force.
std::vector<multilayer::Load> engine_loads(const Problem& problem);

}  // namespace kestral::analyse
