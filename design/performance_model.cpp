#include "design/performance_model.h"

#include <cmath>
#include <stdexcept>

namespace kestral::design {
namespace {

const char* kind_text(StrainKind kind) {
  return kind == StrainKind::horizontal_tensile ? "horizontal tensile" : "vertical compressive";
}

void require_kind(std::string_view name, StrainKind wanted, StrainKind kind) {
  if (kind != wanted) {
    throw std::invalid_argument(std::string(name) + " is a model of " + kind_text(wanted) + " strain, not of " +
                                kind_text(kind) + " strain");
  }
}

double percentage(const std::optional<double>& value, const char* key) {
  if (!(*value >= 0.0 && *value <= 100.0)) throw std::invalid_argument(std::string(key) + " must be 0 to 100 (%)");
  return *value;
}

// Asphalt Institute, Thickness Design - Asphalt Pavements for Highways and
// Streets, Manual Series No. 1 (MS-1), 1982; as given in Huang, Pavement
// Analysis and Design, 2nd ed., 2004, eqs. 7.6-7.8:
//   N = 0.0796 C eps^-3.291 E^-0.854 (E in psi), C = 10^M,
//   M = 4.84 (Vb / (Vv + Vb) - 0.69); C = 1 without the mix volumes.
PerformanceModel asphalt_institute_fatigue(const ModelParameters& p) {
  double c = 1.0;
  if (p.binder_volume.has_value() != p.air_voids.has_value()) {
    throw std::invalid_argument("asphalt-institute-fatigue takes Vb and Vv together (or neither: C = 1)");
  }
  if (p.binder_volume) {
    const double vb = percentage(p.binder_volume, "Vb"), vv = percentage(p.air_voids, "Vv");
    if (!(vb + vv > 0.0)) throw std::invalid_argument("Vb + Vv must be above 0");
    c = std::pow(10.0, 4.84 * (vb / (vv + vb) - 0.69));
  }
  PerformanceModel model;
  model.k1 = 0.0796 * c;
  model.k2 = 3.291;
  model.k3 = 0.854;
  model.modulus_unit = kMegapascalsPerPsi;
  return model;
}

// Austroads, Guide to Pavement Technology Part 2: Pavement Structural
// Design, 2012, asphalt fatigue:
//   N = RF SF [6918 (0.856 Vb + 1.08) / (S^0.36 microstrain)]^5, S in MPa,
// the power form with k1 = RF SF (6918 (0.856 Vb + 1.08) / 1e6)^5, k2 = 5,
// k3 = 1.8.
PerformanceModel austroads_asphalt_fatigue(const ModelParameters& p) {
  if (!p.binder_volume) throw std::invalid_argument("austroads-asphalt-fatigue needs Vb, the binder volume (%)");
  const double vb = percentage(p.binder_volume, "Vb");
  const double sf = p.shift_factor.value_or(6.0), rf = p.reliability_factor.value_or(1.0);
  if (!(sf > 0.0)) throw std::invalid_argument("SF must be above 0");
  if (!(rf > 0.0)) throw std::invalid_argument("RF must be above 0");
  PerformanceModel model;
  model.k1 = rf * sf * std::pow(6918.0 * (0.856 * vb + 1.08) / 1e6, 5.0);
  model.k2 = 5.0;
  model.k3 = 1.8;
  return model;
}

// Claessen, Edwards, Sommer, Uge, Asphalt pavement design - the Shell
// method, 4th Int. Conf. on the Structural Design of Asphalt Pavements,
// 1977; Shell Pavement Design Manual, 1978: eps = k N^-0.25, N = (k/eps)^4.
PerformanceModel shell_subgrade(double k) {
  PerformanceModel model;
  model.k1 = std::pow(k, 4.0);
  model.k2 = 4.0;
  return model;
}

}  // namespace

double PerformanceModel::allowed(double strain, double modulus_mpa) const {
  if (form == Form::endurance_limit) return strain <= limit ? kInfiniteLife : 0.0;
  if (!(strain > 0.0)) return kInfiniteLife;
  // In logarithms, so that a large k2 on a small strain does not overflow
  // before the modulus term brings it back.
  const double log_n = std::log(k1) - k2 * std::log(strain) - k3 * std::log(modulus_mpa / modulus_unit);
  return std::exp(log_n);
}

const std::vector<std::string>& published_model_names() {
  static const std::vector<std::string> names{
      "asphalt-institute-fatigue", "asphalt-institute-rutting", "shell-subgrade-50", "shell-subgrade-85",
      "shell-subgrade-95",         "austroads-asphalt-fatigue", "perpetual-limits"};
  return names;
}

std::vector<std::string> model_parameter_keys(std::string_view name) {
  if (name == "asphalt-institute-fatigue") return {"Vb", "Vv"};
  if (name == "austroads-asphalt-fatigue") return {"Vb", "SF", "RF"};
  return {};
}

PerformanceModel published_model(std::string_view name, const ModelParameters& parameters, StrainKind kind) {
  PerformanceModel model;
  const auto horizontal = StrainKind::horizontal_tensile, vertical = StrainKind::vertical_compressive;
  if (name == "asphalt-institute-fatigue") {
    require_kind(name, horizontal, kind);
    model = asphalt_institute_fatigue(parameters);
  } else if (name == "asphalt-institute-rutting") {
    // Same sources as the fatigue model: N = 1.365e-9 eps^-4.477.
    require_kind(name, vertical, kind);
    model.k1 = 1.365e-9;
    model.k2 = 4.477;
  } else if (name == "shell-subgrade-50" || name == "shell-subgrade-85" || name == "shell-subgrade-95") {
    require_kind(name, vertical, kind);
    const double k = name.ends_with("50") ? 2.8e-2 : name.ends_with("85") ? 2.1e-2 : 1.8e-2;
    model = shell_subgrade(k);
  } else if (name == "austroads-asphalt-fatigue") {
    require_kind(name, horizontal, kind);
    model = austroads_asphalt_fatigue(parameters);
  } else if (name == "perpetual-limits") {
    // Newcomb, Willis, Timm, Perpetual asphalt pavements: a synthesis,
    // Asphalt Pavement Alliance, 2010: 70 microstrain in tension at the
    // bottom of the asphalt, 200 in compression on top of the subgrade.
    model.form = PerformanceModel::Form::endurance_limit;
    model.limit = kind == horizontal ? 70e-6 : 200e-6;
  } else {
    std::string known;
    for (const std::string& entry : published_model_names()) known += (known.empty() ? "" : ", ") + entry;
    throw std::invalid_argument("is \"" + std::string(name) + "\", must be \"power\" or one of " + known);
  }
  model.name = std::string(name);
  return model;
}

}  // namespace kestral::design
