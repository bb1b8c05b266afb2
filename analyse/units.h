// Units of a problem file: what its lengths, stresses and forces are in, and
// the factors to the engine's consistent set (mm, MPa = N/mm^2, N), in which
// every problem is solved. Results go back out in the problem's units;
// strains are dimensionless and need no factor.
#pragma once

#include <optional>
#include <string_view>

namespace kestral::analyse {

enum class LengthUnit { mm, m, in };
enum class StressUnit { MPa, kPa, psi };
enum class ForceUnit { N, kN, lbf };

struct Units {
  LengthUnit length = LengthUnit::mm;
  StressUnit stress = StressUnit::MPa;
  ForceUnit force = ForceUnit::N;

  // Engine units per problem unit: mm per unit length, MPa per unit stress,
  // N per unit force. A value goes in as value * factor and out as
  // value / factor.
  double length_factor() const;
  double stress_factor() const;
  double force_factor() const;
};

std::string_view unit_name(LengthUnit unit);
std::string_view unit_name(StressUnit unit);
std::string_view unit_name(ForceUnit unit);

// The unit of that name (exactly as written: "mm", "kPa", "lbf"), or none.
std::optional<LengthUnit> length_unit_named(std::string_view name);
std::optional<StressUnit> stress_unit_named(std::string_view name);
std::optional<ForceUnit> force_unit_named(std::string_view name);

// The names each kind accepts, for messages: "mm, m, in".
inline constexpr std::string_view kLengthUnitNames = "mm, m, in";
inline constexpr std::string_view kStressUnitNames = "MPa, kPa, psi";
inline constexpr std::string_view kForceUnitNames = "N, kN, lbf";

}  // namespace kestral::analyse
