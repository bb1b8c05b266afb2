// Options::quantities: what is asked for agrees with a full run within the
// two runs' error estimates (the stop tests look at fewer integrals, so the
// panels may differ), what is not is exactly 0 with a 0 estimate, and asking
// for nothing is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "multilayer/analysis.h"
#include "tests/multilayer/result_bits.h"

namespace kestral::multilayer {
namespace {

std::vector<double> stresses(const Result& r) {
  return {r.stress.xx, r.stress.yy, r.stress.zz, r.stress.xy, r.stress.yz, r.stress.xz,
          r.principal_stress.x, r.principal_stress.y, r.principal_stress.z, r.stress_error};
}
std::vector<double> displacements(const Result& r) {
  return {r.displacement.x, r.displacement.y, r.displacement.z, r.displacement_error};
}
std::vector<double> strains(const Result& r) {
  return {r.strain.xx, r.strain.yy, r.strain.zz, r.strain.xy, r.strain.yz, r.strain.xz, r.principal_strain.x,
          r.principal_strain.y, r.principal_strain.z, r.horizontal_strain_max, r.strain_error};
}

// Asked: within both estimates of the full run's value (the estimates bound
// the errors, analysis_accuracy_test); not asked: exactly 0.
void expect_part(const std::vector<double>& got, const std::vector<double>& full, bool asked, double got_error,
                 double full_error, const char* what) {
  for (std::size_t k = 0; k + 1 < got.size(); ++k) {
    if (asked) {
      EXPECT_NEAR(got[k], full[k], got_error + full_error) << what << " " << k;
    } else {
      EXPECT_EQ(got[k], 0.0) << what << " " << k;
    }
  }
  if (!asked) {
    EXPECT_EQ(got.back(), 0.0) << what << " estimate";
  }
}

TEST(AskedQuantities, AskedAgreeWithAFullRunAndTheRestAreZero) {
  const Section section{{Layer{3000, 0.35, 150}, Layer{300, 0.35, 300}, Layer{80, 0.45, 0}}};
  const std::vector<Load> loads{Load{0, 0, 150, 0.566}, Load{0, 310, 150, 0.5}};
  std::vector<Point> points;
  for (double z : {0.0, 150.0, 300.0})
    for (double x : {0.0, 300.0, 1500.0}) points.push_back({x, 20.0, z});
  const Quantities asks[] = {{false, true, false}, {true, false, false}, {false, false, true}, {true, true, false}};
  for (double tolerance : {1e-8, 1e-4}) {
    Options full;
    full.tolerance = tolerance;
    const auto reference = analyse(section, loads, points, full);
    for (const Quantities& q : asks) {
      Options options = full;
      options.quantities = q;
      const auto rows = analyse(section, loads, points, options);
      ASSERT_EQ(rows.size(), reference.size());
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const Result& r = rows[i];
        const Result& f = reference[i];
        expect_part(stresses(r), stresses(f), q.stress, r.stress_error, f.stress_error, "stress");
        expect_part(displacements(r), displacements(f), q.displacement, r.displacement_error, f.displacement_error,
                    "displacement");
        expect_part(strains(r), strains(f), q.strain, r.strain_error, f.strain_error, "strain");
      }
    }
    // Everything asked for: the default, bit for bit.
    Options all = full;
    all.quantities = {true, true, true};
    EXPECT_EQ(result_bits(analyse(section, loads, points, all)), result_bits(reference));
  }
}

TEST(AskedQuantities, DerivativesOfWhatIsNotAskedForAreZero) {
  const Section section{{Layer{3000, 0.35, 150}, Layer{80, 0.45, 0}}};
  Options options;
  options.quantities = {false, true, false};
  const auto got = PreparedGeometry({Load{0, 0, 150, 0.566}}, {{0, 0, 0}, {600, 0, 0}}, options)
                       .analyse_with_derivatives(section);
  for (const auto& layer : got.by_modulus) {
    for (const Result& r : layer) {
      EXPECT_NE(r.displacement.z, 0.0);
      for (double v : stresses(r)) EXPECT_EQ(v, 0.0);
      for (double v : strains(r)) EXPECT_EQ(v, 0.0);
    }
  }
}

TEST(AskedQuantities, AskingForNothingIsRefused) {
  Options options;
  options.quantities = {false, false, false};
  const Section section{{Layer{100, 0.3, 0}}};
  try {
    analyse(section, {Load{0, 0, 150, 0.5}}, {{0, 0, 0}}, options);
    FAIL() << "accepted";
  } catch (const InvalidProblem& e) {
    EXPECT_STREQ(e.what(), "options: quantities: none of stress, displacement and strain is asked for");
  }
}

}  // namespace
}  // namespace kestral::multilayer
