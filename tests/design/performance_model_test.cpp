// The published models against the numbers the model table gives (computed
// there from each formula as printed), and the generic power form's edges.
#include "design/performance_model.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

namespace kestral::design {
namespace {

// The table gives six significant figures.
constexpr double kTableRelative = 1e-5;

struct PublishedCase {
  const char* model;
  StrainKind kind;
  ModelParameters parameters;
  double strain, modulus_mpa, allowed;
};

TEST(PerformanceModel, ReproducesThePublishedNumbers) {
  const auto h = StrainKind::horizontal_tensile, v = StrainKind::vertical_compressive;
  const PublishedCase cases[] = {
      {"asphalt-institute-fatigue", h, {}, 1e-4, 500000 * kMegapascalsPerPsi, 1.57758e7},
      {"asphalt-institute-fatigue", h, {}, 2e-4, 3000, 1.81492e6},
      {"asphalt-institute-rutting", v, {}, 2e-4, 60, 4.95931e7},
      {"shell-subgrade-50", v, {}, 2e-4, 60, 3.8416e8},
      {"shell-subgrade-85", v, {}, 2e-4, 60, 1.21551e8},
      {"shell-subgrade-95", v, {}, 2e-4, 60, 6.561e7},
      {"austroads-asphalt-fatigue", h, {11.0, std::nullopt, 6.0, 1.0}, 150e-6, 3000, 8.78817e7},
      {"austroads-asphalt-fatigue", h, {11.0, std::nullopt, std::nullopt, std::nullopt}, 150e-6, 3000, 8.78817e7},
  };
  for (const PublishedCase& c : cases) {
    const PerformanceModel model = published_model(c.model, c.parameters, c.kind);
    EXPECT_NEAR(model.allowed(c.strain, c.modulus_mpa), c.allowed, kTableRelative * c.allowed) << c.model;
  }
}

TEST(PerformanceModel, AsphaltInstituteMixFactor) {
  // C = 0.972523 for Vb = 11, Vv = 5: N scales by C.
  const auto h = StrainKind::horizontal_tensile;
  const double plain = published_model("asphalt-institute-fatigue", {}, h).allowed(2e-4, 3000);
  const double mix = published_model("asphalt-institute-fatigue", {11.0, 5.0, {}, {}}, h).allowed(2e-4, 3000);
  EXPECT_NEAR(mix / plain, 0.972523, kTableRelative);
}

TEST(PerformanceModel, EnduranceLimitsAndInfiniteLives) {
  const PerformanceModel tensile = published_model("perpetual-limits", {}, StrainKind::horizontal_tensile);
  const PerformanceModel vertical = published_model("perpetual-limits", {}, StrainKind::vertical_compressive);
  EXPECT_EQ(tensile.allowed(70e-6, 3000), kInfiniteLife);
  EXPECT_EQ(tensile.allowed(71e-6, 3000), 0.0);
  EXPECT_EQ(vertical.allowed(199e-6, 60), kInfiniteLife);
  EXPECT_EQ(vertical.allowed(201e-6, 60), 0.0);
  PerformanceModel power;
  power.k1 = 1e-9;
  power.k2 = 4.0;
  EXPECT_EQ(power.allowed(0.0, 60), kInfiniteLife);    // no strain of the criterion's kind
  EXPECT_EQ(power.allowed(-1e-4, 60), kInfiniteLife);  // of the other sign everywhere
  power.k2 = 400.0;  // overflows to an unlimited life, not to NaN
  EXPECT_EQ(power.allowed(1e-6, 60), kInfiniteLife);
}

TEST(PerformanceModel, RefusesWhatItCannotServe) {
  const auto h = StrainKind::horizontal_tensile, v = StrainKind::vertical_compressive;
  const std::pair<const char*, std::pair<ModelParameters, StrainKind>> refused[] = {
      {"no-such-model", {{}, h}},
      {"asphalt-institute-fatigue", {{}, v}},       // a fatigue model on a rutting criterion
      {"shell-subgrade-50", {{}, h}},
      {"asphalt-institute-fatigue", {{11.0, {}, {}, {}}, h}},  // Vb without Vv
      {"asphalt-institute-fatigue", {{120.0, 5.0, {}, {}}, h}},
      {"austroads-asphalt-fatigue", {{}, h}},       // no binder volume
      {"austroads-asphalt-fatigue", {{11.0, {}, 0.0, {}}, h}},
  };
  for (const auto& [name, given] : refused) {
    EXPECT_THROW(published_model(name, given.first, given.second), std::invalid_argument) << name;
  }
}

}  // namespace
}  // namespace kestral::design
