// Performance models: the repetitions N a pavement layer allows of a load
// whose critical strain is epsilon, for the fatigue and rutting criteria of a
// design check. Every published model reduces to the generic power form
//   N = k1 * (1/epsilon)^k2 * (1/E)^k3,     E the layer's modulus in its unit,
// or to an endurance limit (infinite life below the limit, none above).
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestral::design {

// The strain a criterion limits.
enum class StrainKind {
  horizontal_tensile,    // larger principal horizontal strain, in tension
  vertical_compressive,  // -ezz
};

struct PerformanceModel {
  enum class Form { power, endurance_limit };
  std::string name = "power";  // "power" or a published model's name
  Form form = Form::power;
  double k1 = 1.0, k2 = 0.0, k3 = 0.0;
  double modulus_unit = 1.0;   // MPa per unit of E in the formula (psi: 0.00689...)
  double limit = 0.0;          // endurance_limit: the largest strain of infinite life

  // Allowed repetitions at `strain` (a magnitude; 0 or less: never reached,
  // infinite life) in a layer of modulus `modulus_mpa`. Infinity for an
  // unlimited life, 0 for an endurance limit exceeded.
  double allowed(double strain, double modulus_mpa) const;
};

inline constexpr double kInfiniteLife = std::numeric_limits<double>::infinity();
inline constexpr double kMegapascalsPerPsi = 0.006894757293168361;

// Parameters a published model takes beside the strain and modulus (binder
// volume Vb and air voids Vv in %, Austroads' shift and reliability factors).
struct ModelParameters {
  std::optional<double> binder_volume, air_voids, shift_factor, reliability_factor;
};

// The published model of that name with its parameters, for a criterion of
// `kind`. Throws std::invalid_argument with the reason (an unknown name, a
// missing or out-of-range parameter, a model of the other kind of strain).
PerformanceModel published_model(std::string_view name, const ModelParameters& parameters, StrainKind kind);

// The names published_model knows, for messages and the manual.
const std::vector<std::string>& published_model_names();

// The parameters a published model accepts ("Vb", "Vv", ...).
std::vector<std::string> model_parameter_keys(std::string_view name);

}  // namespace kestral::design
