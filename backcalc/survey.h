// A falling-weight deflectometer survey as kestral-backcalc understands it:
// the layer model (which moduli are fixed, which are searched and within
// which bounds), the plate, the sensors and the drops, in the engine's units
// (mm, MPa, N; deflections in mm), with what is needed to write the table
// back in the survey's own units and to echo the survey.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analyse/units.h"
#include "multilayer/analysis.h"

namespace kestral::backcalc {

enum class DeflectionUnit { um, mm, mil };

// Millimetres per unit of deflection (a mil is a thousandth of an inch).
double deflection_factor(DeflectionUnit unit);
const char* unit_name(DeflectionUnit unit);

// The modulus of one layer: fixed, or searched within [min, max] from `seed`
// (engine units, MPa; 0 < min <= seed <= max).
struct ModulusSearch {
  bool searched = false;
  double seed = 0.0;  // the fixed value when not searched
  double min = 0.0;
  double max = 0.0;
};

// One drop: the load on the plate and the bowl it made. A drop whose values
// cannot be fitted carries its fault, and is reported failed without a fit.
struct Drop {
  std::string id;
  std::string where;                // "drops[3]", "bowls.csv line 5": for messages
  double load = 0.0;                // N
  std::vector<double> deflections;  // mm, one per sensor (unless faulty)
  std::string fault;                // empty when the drop can be fitted
  nlohmann::ordered_json echo;      // {"id", "load", "deflections"} as given
};

// Most drops one survey may hold (a project is thousands).
inline constexpr std::size_t kMaxDrops = 1'000'000;

struct Survey {
  std::string source;                    // the file, as messages name it
  analyse::Units units;                  // length, stress, force of the input and the table
  DeflectionUnit deflection_unit = DeflectionUnit::um;
  multilayer::Section section;           // thicknesses, Poisson's ratios, interfaces; moduli the seeds
  std::vector<ModulusSearch> moduli;       // one per layer
  std::vector<std::string> layer_labels; // names, or "1", "2", ... for unnamed layers
  double plate_radius = 0.0;             // mm
  std::vector<double> sensors;           // offsets from the plate centre, mm, increasing
  std::vector<double> sensor_offsets;    // the same as given (length unit), for the column names
  std::vector<Drop> drops;               // input order: "drops", then the CSV file's
  double tolerance = 1e-6;               // asked of the engine
  double noise = 0.001;                  // measurement noise of a deflection, mm (1 um)
  double max_rms_percent = 2.0;          // a fit with a larger misfit is a poor one
  nlohmann::ordered_json echo;           // as understood, defaults filled in
};

}  // namespace kestral::backcalc
