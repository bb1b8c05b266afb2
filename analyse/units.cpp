#include "analyse/units.h"

#include <array>

namespace kestral::analyse {
namespace {

// The inch and the pound-force are defined exactly in SI units; the psi is
// one pound-force on a square inch.
constexpr double kMillimetresPerInch = 25.4;
constexpr double kNewtonsPerPoundForce = 4.4482216152605;
constexpr double kMegapascalsPerPsi = kNewtonsPerPoundForce / (kMillimetresPerInch * kMillimetresPerInch);

template <typename Unit>
struct NamedUnit {
  Unit unit;
  std::string_view name;
  double factor;
};

constexpr std::array kLengths{NamedUnit<LengthUnit>{LengthUnit::mm, "mm", 1.0},
                              NamedUnit<LengthUnit>{LengthUnit::m, "m", 1000.0},
                              NamedUnit<LengthUnit>{LengthUnit::in, "in", kMillimetresPerInch}};
constexpr std::array kStresses{NamedUnit<StressUnit>{StressUnit::MPa, "MPa", 1.0},
                               NamedUnit<StressUnit>{StressUnit::kPa, "kPa", 1.0e-3},
                               NamedUnit<StressUnit>{StressUnit::psi, "psi", kMegapascalsPerPsi}};
constexpr std::array kForces{NamedUnit<ForceUnit>{ForceUnit::N, "N", 1.0},
                             NamedUnit<ForceUnit>{ForceUnit::kN, "kN", 1000.0},
                             NamedUnit<ForceUnit>{ForceUnit::lbf, "lbf", kNewtonsPerPoundForce}};

template <typename Unit, std::size_t Size>
const NamedUnit<Unit>& entry(const std::array<NamedUnit<Unit>, Size>& table, Unit unit) {
  for (const auto& named : table) {
    if (named.unit == unit) return named;
  }
  return table.front();
}

template <typename Unit, std::size_t Size>
std::optional<Unit> named(const std::array<NamedUnit<Unit>, Size>& table, std::string_view name) {
  for (const auto& unit : table) {
    if (unit.name == name) return unit.unit;
  }
  return std::nullopt;
}

}  // namespace

double Units::length_factor() const { return entry(kLengths, length).factor; }
double Units::stress_factor() const { return entry(kStresses, stress).factor; }
double Units::force_factor() const { return entry(kForces, force).factor; }

std::string_view unit_name(LengthUnit unit) { return entry(kLengths, unit).name; }
std::string_view unit_name(StressUnit unit) { return entry(kStresses, unit).name; }
std::string_view unit_name(ForceUnit unit) { return entry(kForces, unit).name; }

std::optional<LengthUnit> length_unit_named(std::string_view name) { return named(kLengths, name); }
std::optional<StressUnit> stress_unit_named(std::string_view name) { return named(kStresses, name); }
std::optional<ForceUnit> force_unit_named(std::string_view name) { return named(kForces, name); }

}  // namespace kestral::analyse
