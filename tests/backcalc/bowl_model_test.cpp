// The bowl model's slopes by the log-moduli: against central differences of
// its own deflections, against the scaling identity, and at the fit's
// tolerance against the tight ones.
//
// Tolerances, at engine tolerance 1e-12 and log step h = 1e-4: each
// deflection is within about 1e-12 of the bowl's scale (plate pressure
// times radius over modulus) of the exact integral, so the difference
// quotient carries 2e-12 / (2 h) = 1e-8 of the scale from the integration,
// and h^2 / 6 (about 2e-9) times the third log-derivative, which is of the
// size of the deflection itself. The bound, 2e-8 of the largest deflection,
// covers both with a margin of 1.5; the largest deflection is within a
// factor 2 of the scale here. Measured: 5e-10 (the deflections are better
// than their estimates).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "backcalc/bowl_model.h"

namespace kestral::backcalc {
namespace {

const std::vector<double> kSensors{0, 200, 300, 450, 600, 900, 1200, 1500};
constexpr double kPlateRadius = 150.0;

struct SectionCase {
  const char* name;
  multilayer::Section section;  // thicknesses, ratios, interfaces
  std::vector<double> moduli;
};

multilayer::Layer layer(double thickness, double nu, multilayer::Interface below = {}) {
  multilayer::Layer l;
  l.poisson = nu;
  l.thickness = thickness;
  l.below = below;
  return l;
}

const multilayer::Interface kFrictionless{multilayer::InterfaceKind::frictionless, 0.0};
const multilayer::Interface kSpring{multilayer::InterfaceKind::spring, 5.0};

const std::vector<SectionCase> kCases{
    {"three layers", {{layer(150, 0.35), layer(300, 0.35), layer(0, 0.45)}}, {3000, 300, 80}},
    {"stiff thin over soft", {{layer(50, 0.35), layer(150, 0.35), layer(0, 0.45)}}, {12000, 150, 40}},
    {"frictionless under the asphalt", {{layer(150, 0.35, kFrictionless), layer(300, 0.35), layer(0, 0.45)}}, {3000, 300, 80}},
    {"spring under the asphalt", {{layer(150, 0.35, kSpring), layer(300, 0.35), layer(0, 0.45)}}, {3000, 300, 80}},
    {"five layers, stiff at depth",
     {{layer(80, 0.35), layer(150, 0.35), layer(300, 0.4), layer(2000, 0.45), layer(0, 0.25)}}, {6000, 500, 120, 50, 5000}},
};

std::vector<std::size_t> every_layer(std::size_t count) {
  std::vector<std::size_t> all(count);
  for (std::size_t k = 0; k < count; ++k) all[k] = k;
  return all;
}

TEST(BowlModel, SlopesMatchCentralDifferencesOfTheDeflections) {
  constexpr double kStep = 1e-4;  // in ln E (header)
  for (const SectionCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const BowlModel model(c.section, kPlateRadius, kSensors, 1e-12);
    std::vector<std::vector<double>> slopes;
    const std::vector<double> bowl = model.deflections_and_slopes(c.moduli, every_layer(c.moduli.size()), slopes);
    EXPECT_EQ(bowl, model.deflections(c.moduli)) << "the slopes' run gives the deflections' bits";
    const double largest = *std::max_element(bowl.begin(), bowl.end());
    for (std::size_t k = 0; k < c.moduli.size(); ++k) {
      std::vector<double> up = c.moduli, down = c.moduli;
      up[k] *= std::exp(kStep);
      down[k] *= std::exp(-kStep);
      const std::vector<double> high = model.deflections(up), low = model.deflections(down);
      for (std::size_t i = 0; i < kSensors.size(); ++i) {
        EXPECT_NEAR(slopes[k][i], (high[i] - low[i]) / (2 * kStep), 2e-8 * largest) << "layer " << k << ", sensor " << i;
      }
    }
  }
}

TEST(BowlModel, SlopesOfAllModuliSumToMinusTheDeflectionWithoutSprings) {
  // Scaling every modulus by c scales every deflection by 1/c: the slopes
  // by all the log-moduli sum to -d exactly (a spring's stiffness does not
  // scale). The derivatives are integrated on the deflections' own panels,
  // so the identity holds node by node and only rounding separates the two
  // sides: 1e-12 of the largest deflection allows a few thousand DBL_EPSILON
  // through the layer solve (measured: 8e-16).
  for (const SectionCase& c : kCases) {
    if (c.section.layers[0].below.kind == multilayer::InterfaceKind::spring) continue;
    SCOPED_TRACE(c.name);
    const BowlModel model(c.section, kPlateRadius, kSensors, 1e-12);
    std::vector<std::vector<double>> slopes;
    const std::vector<double> bowl = model.deflections_and_slopes(c.moduli, every_layer(c.moduli.size()), slopes);
    const double largest = *std::max_element(bowl.begin(), bowl.end());
    for (std::size_t i = 0; i < kSensors.size(); ++i) {
      double sum = 0.0;
      for (const std::vector<double>& slope : slopes) sum += slope[i];
      EXPECT_NEAR(sum, -bowl[i], 1e-12 * largest) << "sensor " << i;
    }
  }
}

TEST(BowlModel, SlopesOfSomeModuliInAnyOrderAtTheFitsToleranceAreTheTightOnes) {
  // The fit's engine tolerance 1e-6 bounds each slope's error by about 1e-6
  // of the bowl's scale too (the same panels); 4e-6 of the largest
  // deflection allows the factor 2 between scale and deflection, twice
  // (measured: 6e-9).
  const SectionCase& c = kCases[0];
  const std::vector<std::size_t> searched{2, 0};  // any subset, any order
  const BowlModel tight(c.section, kPlateRadius, kSensors, 1e-12), fit(c.section, kPlateRadius, kSensors, 1e-6);
  std::vector<std::vector<double>> exact, coarse;
  const std::vector<double> bowl = tight.deflections_and_slopes(c.moduli, every_layer(c.moduli.size()), exact);
  fit.deflections_and_slopes(c.moduli, searched, coarse);
  ASSERT_EQ(coarse.size(), 2u);
  const double largest = *std::max_element(bowl.begin(), bowl.end());
  for (std::size_t j = 0; j < searched.size(); ++j) {
    for (std::size_t i = 0; i < kSensors.size(); ++i) EXPECT_NEAR(coarse[j][i], exact[searched[j]][i], 4e-6 * largest);
  }
}

}  // namespace
}  // namespace kestral::backcalc
