// The fit of drops: moduli recovered from bowls the engine made, a real
// minimum on noisy bowls, bounds, fixed moduli, and the same bits for any
// thread count.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "backcalc/backcalculate.h"
#include "backcalc/bowl_model.h"
#include "backcalc/survey_file.h"

namespace kestral::backcalc {
namespace {

struct LayerCase {
  double thickness;  // 0 for the half-space
  double nu;
  double E;          // the true modulus
  double seed;       // 0: fixed at E
  double min = 10.0, max = 50000.0;
};

const std::vector<double> kSensors{0, 200, 300, 450, 600, 900, 1200, 1500};
constexpr double kLoad = 40000.0;  // N on a 150 mm plate: 0.566 MPa

// A survey (mm, MPa, N, um) with the given layers and no drops yet.
Survey survey_of(const std::vector<LayerCase>& layers, const std::vector<double>& sensors = kSensors) {
  nlohmann::json document;
  for (const LayerCase& layer : layers) {
    nlohmann::json entry = {{"nu", layer.nu}};
    if (layer.thickness > 0) entry["thickness"] = layer.thickness;
    if (layer.seed > 0) {
      entry["E"] = {{"seed", layer.seed}, {"min", layer.min}, {"max", layer.max}};
    } else {
      entry["E"] = layer.E;
    }
    document["layers"].push_back(entry);
  }
  document["plate"] = {{"radius", 150}};
  document["sensors"] = sensors;
  document["drops"] = nlohmann::json::array({{{"id", "x"}, {"load", kLoad}, {"deflections", std::vector<double>(sensors.size(), 100.0)}}});
  Survey survey = read_survey(document, "test.json", {});
  survey.drops.clear();
  return survey;
}

// The bowl (mm) the engine gives under kLoad for the true moduli.
std::vector<double> engine_bowl(const Survey& survey, const std::vector<LayerCase>& layers) {
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  std::vector<double> moduli;
  for (const LayerCase& layer : layers) moduli.push_back(layer.E);
  std::vector<double> bowl = model.deflections(moduli);
  const double pressure = kLoad / (std::numbers::pi * 150.0 * 150.0);
  for (double& d : bowl) d *= pressure;
  return bowl;
}

Drop drop_of(const std::vector<double>& bowl, const std::string& id = "d") {
  Drop drop;
  drop.id = id;
  drop.where = "drops[0]";
  drop.load = kLoad;
  drop.deflections = bowl;
  return drop;
}

double misfit(const std::vector<double>& computed, const std::vector<double>& measured) {
  double sum = 0.0;
  for (std::size_t i = 0; i < measured.size(); ++i) sum += std::pow((computed[i] - measured[i]) / measured[i], 2);
  return sum;
}

struct RecoveryCase {
  const char* name;
  std::vector<LayerCase> layers;
};

// Seeds 2 to 3 times off, up and down.
const std::vector<RecoveryCase> kRecoveryCases{
    {"three layers", {{150, 0.35, 3000, 9000}, {300, 0.35, 300, 120}, {0, 0.45, 80, 200}}},
    {"stiff thin over soft", {{50, 0.35, 12000, 4000}, {150, 0.35, 150, 400}, {0, 0.45, 40, 100}}},
    {"four layers", {{100, 0.35, 5000, 2000}, {200, 0.35, 400, 1000}, {250, 0.4, 150, 60}, {0, 0.45, 60, 150}}},
    {"four layers, a fixed one", {{120, 0.35, 4000, 10000}, {250, 0.35, 250, 0}, {300, 0.4, 120, 300}, {0, 0.45, 50, 20}}},
    {"five layers, stiff at depth", {{80, 0.35, 6000, 15000}, {150, 0.35, 500, 200}, {300, 0.4, 120, 300},
                                     {2000, 0.45, 50, 20}, {0, 0.25, 5000, 0}}},
};

TEST(DropFit, RecoversTheModuliOfEngineMadeBowls) {
  for (const RecoveryCase& c : kRecoveryCases) {
    SCOPED_TRACE(c.name);
    const Survey survey = survey_of(c.layers);
    const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
    const DropFit fit = fit_drop(model, survey, drop_of(engine_bowl(survey, c.layers)));
    ASSERT_EQ(fit.status, "converged") << fit.message;
    for (std::size_t k = 0; k < c.layers.size(); ++k) {
      // The target: every modulus within 0.1 %. The engine's
      // deflections carry errors near its tolerance 1e-6, which move the
      // fitted moduli by about that times the ranges' amplification.
      EXPECT_NEAR(fit.moduli[k] / c.layers[k].E, 1.0, 1e-3) << "layer " << k;
      if (c.layers[k].seed == 0) {
        EXPECT_EQ(fit.moduli[k], c.layers[k].E) << "a fixed modulus stays as given";
      }
    }
    EXPECT_LT(fit.rms_percent, 1e-3);
    EXPECT_GT(fit.iterations, 0);
  }
}

TEST(DropFit, OnANoisyBowlTheFitIsAtLeastAsGoodAsTheTrueModuli) {
  // A fixed pattern of 1 to 2 um, both signs.
  const std::vector<double> noise_um{1.5, -1.2, 2.0, -1.8, 1.0, -1.4, 1.7, -1.1};
  for (const RecoveryCase& c : kRecoveryCases) {
    SCOPED_TRACE(c.name);
    const Survey survey = survey_of(c.layers);
    const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
    const std::vector<double> clean = engine_bowl(survey, c.layers);
    std::vector<double> noisy = clean;
    for (std::size_t i = 0; i < noisy.size(); ++i) noisy[i] += noise_um[i] * 1e-3;
    const DropFit fit = fit_drop(model, survey, drop_of(noisy));
    ASSERT_TRUE(fit.fitted) << fit.message;
    // Both misfits come from the engine at tolerance 1e-6: a margin of
    // (1e-6)^2 per sensor in the sum of squares covers its error.
    EXPECT_LE(misfit(fit.fit, noisy), misfit(clean, noisy) + 8e-12);
    for (std::size_t k = 0; k < c.layers.size(); ++k) {
      EXPECT_GE(fit.range_percent[k], 0.0);
      if (c.layers[k].seed == 0) {
        EXPECT_EQ(fit.range_percent[k], 0.0);
      }
    }
  }
}

TEST(DropFit, AModulusBeyondItsBoundsEndsOnTheBound) {
  std::vector<LayerCase> layers{{150, 0.35, 3000, 2000, 500, 20000}, {300, 0.35, 300, 200, 30, 3000}, {0, 0.45, 80, 50, 10, 1000}};
  Survey survey = survey_of(layers);
  const std::vector<double> bowl = engine_bowl(survey, layers);
  // The base may not exceed 200 MPa, though the bowl was made with 300.
  survey = survey_of({{150, 0.35, 3000, 2000, 500, 20000}, {300, 0.35, 300, 100, 30, 200}, {0, 0.45, 80, 50, 10, 1000}});
  survey.max_rms_percent = 100.0;  // the status names the bound, whatever the misfit
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  const DropFit fit = fit_drop(model, survey, drop_of(bowl));
  ASSERT_TRUE(fit.fitted) << fit.message;
  EXPECT_EQ(fit.status, "at_bound:2");
  EXPECT_NEAR(fit.moduli[1], 200.0, 200.0 * 1e-9);
  EXPECT_GT(fit.rms_percent, 1e-3);  // the bowl is no longer matched exactly

  // A misfit above max_rms_percent makes it a poor fit, bound or not, with
  // the same moduli; a misfit equal to it does not.
  survey.max_rms_percent = fit.rms_percent;
  EXPECT_EQ(fit_drop(model, survey, drop_of(bowl)).status, "at_bound:2");
  survey.max_rms_percent = std::nextafter(fit.rms_percent, 0.0);
  const DropFit poor = fit_drop(model, survey, drop_of(bowl));
  EXPECT_EQ(poor.status, "poor_fit");
  EXPECT_EQ(poor.moduli, fit.moduli);
}

TEST(DropFit, ABowlOutOfScaleWithItsLoadFailsOrFitsPoorlyNeverWithoutANumber) {
  const RecoveryCase& c = kRecoveryCases[0];
  const Survey survey = survey_of(c.layers);
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  const std::vector<double> clean = engine_bowl(survey, c.layers);
  struct Scaled {
    double deflections, load;
    const char* status;
  };
  // Deflections 1e-300 times too small or a load 1e300 times too large
  // overflow the relative misfit; 1e300 times too large, the bowl is flat
  // to the search and nowhere near.
  for (const Scaled& scaled : std::vector<Scaled>{{1e-300, 1.0, "failed:misfit"}, {1.0, 1e300, "failed:misfit"}, {1e300, 1.0, "poor_fit"}}) {
    SCOPED_TRACE(scaled.status);
    std::vector<double> bowl = clean;
    for (double& d : bowl) d *= scaled.deflections;
    Drop drop = drop_of(bowl);
    drop.load *= scaled.load;
    const DropFit fit = fit_drop(model, survey, drop);
    EXPECT_EQ(fit.status, scaled.status) << fit.message;
    if (!fit.fitted) {
      EXPECT_EQ(fit.message, "at the seed moduli: the misfit is not a finite number: the deflections are out of scale with the load");
      continue;
    }
    EXPECT_TRUE(std::isfinite(fit.rms_percent));
    for (double range : fit.range_percent) EXPECT_TRUE(std::isfinite(range)) << range;
    for (double d : fit.fit) EXPECT_TRUE(std::isfinite(d)) << d;
  }
}

TEST(DropFit, RangesGrowWhereTheBowlCannotTellTheModuliApart) {
  // A thin, stiff-as-its-neighbour layer leaves little trace in the bowl:
  // its range is far wider than the subgrade's.
  std::vector<LayerCase> layers{{150, 0.35, 3000, 6000}, {30, 0.35, 300, 120}, {0, 0.45, 80, 200}};
  const Survey survey = survey_of(layers);
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  const DropFit fit = fit_drop(model, survey, drop_of(engine_bowl(survey, layers)));
  ASSERT_TRUE(fit.fitted) << fit.message;
  EXPECT_GT(fit.range_percent[1], 10.0 * fit.range_percent[2]);
  EXPECT_LT(fit.range_percent[2], 5.0);
}

TEST(Backcalculate, AnyThreadCountGivesTheSameBits) {
  const RecoveryCase& c = kRecoveryCases[0];
  Survey survey = survey_of(c.layers);
  const std::vector<double> clean = engine_bowl(survey, c.layers);
  for (int i = 0; i < 6; ++i) {
    std::vector<double> bowl = clean;
    for (std::size_t s = 0; s < bowl.size(); ++s) bowl[s] *= 1.0 + 0.02 * std::sin(3.0 * i + static_cast<double>(s));
    survey.drops.push_back(drop_of(bowl, std::to_string(i)));
  }
  survey.drops[3].fault = "load is 0, must be above 0";
  const auto on_threads = [&survey](int threads) {
    BackcalcSettings settings;
    settings.threads = threads;
    return backcalculate(survey, settings);
  };
  const auto same_bits = [](const std::vector<double>& a, const std::vector<double>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double x, double y) {
      return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
    });
  };
  const std::vector<DropFit> one = on_threads(1);
  for (int threads : {2, 3, 0}) {
    const std::vector<DropFit> many = on_threads(threads);
    ASSERT_EQ(many.size(), one.size());
    for (std::size_t d = 0; d < one.size(); ++d) {
      EXPECT_EQ(many[d].status, one[d].status);
      EXPECT_EQ(many[d].iterations, one[d].iterations);
      ASSERT_EQ(many[d].moduli.size(), one[d].moduli.size());
      // Bit by bit; a failed drop's vectors are empty (no memcmp on a null pointer).
      EXPECT_TRUE(same_bits(many[d].moduli, one[d].moduli));
      EXPECT_TRUE(same_bits(many[d].fit, one[d].fit));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(many[d].rms_percent), std::bit_cast<std::uint64_t>(one[d].rms_percent));
    }
  }
  EXPECT_EQ(one[3].status, "failed:load");
}

}  // namespace
}  // namespace kestral::backcalc
