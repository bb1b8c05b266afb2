// A prepared geometry integrates every row on the panels of the narrowest
// width any row needs, so that all rows share the nodes: its rows are not
// those of analyse() bit for bit, but each lies within its own error
// estimate of analyse() at a tight tolerance, on every section it is handed.
// They are the same bits in any order of calls, from one thread or several at
// once, with its store empty, filling or full; and it refuses what analyse()
// refuses with the same message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>
#include <thread>
#include <vector>

#include "multilayer/analysis.h"
#include "tests/multilayer/result_bits.h"

namespace kestral::multilayer {
namespace {

std::vector<Section> sections() {
  return {
      Section{{Layer{3000, 0.35, 150}, Layer{300, 0.35, 300}, Layer{80, 0.45, 0}}},
      Section{{Layer{2500, 0.35, 150}, Layer{350, 0.35, 300}, Layer{70, 0.45, 0}}},
      Section{{Layer{3000, 0.35, 180}, Layer{300, 0.35, 250}, Layer{80, 0.45, 0}}},  // other thicknesses
      Section{{Layer{30000, 0.2, 250}, Layer{50, 0.45, 0}}},                          // stiff over soft
      Section{{Layer{3000, 0.35, 100, {InterfaceKind::spring, 4.0}}, Layer{400, 0.4, 200, {InterfaceKind::frictionless}},
               Layer{80, 0.5, 0}}},
      Section{{Layer{120, 0.3, 0}}},  // a half-space
  };
}

struct Geometry {
  const char* name;
  std::vector<Load> loads;
  std::vector<Point> points;
  int threads;
};

std::vector<Geometry> geometries() {
  std::vector<Point> bowl;
  for (double r : {0.0, 200.0, 300.0, 450.0, 600.0, 900.0, 1200.0, 1500.0}) bowl.push_back({r, 0, 0});
  std::vector<Point> grid;
  for (double z : {0.0, 100.0, 150.0, 450.0, 700.0})
    for (double x : {0.0, 155.0, 400.0, 1000.0}) grid.push_back({x, 60.0, z});
  return {
      {"bowl", {Load::from_force(0, 0, 40000, 40000 / (3.141592653589793 * 150 * 150))}, bowl, 1},
      {"dual wheel grid", {Load::from_force(0, -155, 20000, 0.7), Load::from_force(0, 155, 20000, 0.7)}, grid, 1},
      {"dual wheel grid, 2 threads", {Load::from_force(0, -155, 20000, 0.7), Load::from_force(0, 155, 20000, 0.6)},
       grid, 2},
  };
}

double worst(const SymmetricTensor& a, const SymmetricTensor& b) {
  return std::max({std::fabs(a.xx - b.xx), std::fabs(a.yy - b.yy), std::fabs(a.zz - b.zz), std::fabs(a.xy - b.xy),
                   std::fabs(a.yz - b.yz), std::fabs(a.xz - b.xz)});
}
double worst(const Vector3& a, const Vector3& b) {
  return std::max({std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
}

// At 1e-6 and 1e-4 (where panels twice as wide are taken: the estimates must
// say so honestly).
TEST(PreparedGeometry, EachRowLiesWithinItsErrorEstimateOfATightAnalyse) {
  for (double tolerance : {1e-6, 1e-4})
  for (const Geometry& g : geometries()) {
    Options options;
    options.threads = g.threads;
    options.tolerance = tolerance;
    Options tight = options;
    tight.tolerance = 1e-11;
    const PreparedGeometry prepared(g.loads, g.points, options);
    for (const Section& s : sections()) {
      SCOPED_TRACE(std::string(g.name) + ", tolerance " + std::to_string(tolerance) + ", " +
                   std::to_string(s.layers.size()) + " layers, E1 " +
                   std::to_string(s.layers[0].modulus) + ", h1 " + std::to_string(s.layers[0].thickness));
      const std::vector<Result> rows = prepared.analyse(s);
      const std::vector<Result> reference = analyse(s, g.loads, g.points, tight);
      const std::vector<Result> plain = analyse(s, g.loads, g.points, options);
      ASSERT_EQ(rows.size(), reference.size());
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const Result& r = rows[i];
        const Result& ref = reference[i];
        SCOPED_TRACE("row " + std::to_string(i));
        ASSERT_EQ(r.point, ref.point);
        ASSERT_EQ(r.face, ref.face);
        ASSERT_EQ(r.layer, ref.layer);
        // The row's estimate bounds its error; the reference's own (1e-5 of
        // the row's) covers what is left of the reference's.
        EXPECT_LE(std::max(worst(r.stress, ref.stress), worst(r.principal_stress, ref.principal_stress)),
                  r.stress_error + ref.stress_error);
        EXPECT_LE(worst(r.displacement, ref.displacement), r.displacement_error + ref.displacement_error);
        EXPECT_LE(std::max({worst(r.strain, ref.strain), worst(r.principal_strain, ref.principal_strain),
                            std::fabs(r.horizontal_strain_max - ref.horizontal_strain_max)}),
                  r.strain_error + ref.strain_error);
        // And the estimate meets the tolerance asked (scale: the pressure q,
        // q a / E_min), or where analyse()'s own does not, is within 1.5
        // times analyse()'s: the shared panels are no wider than the row's
        // own, and their sums differ by a few per cent.
        double q = 0, a = 0, e = 1e300;
        for (const Load& l : g.loads) q = std::max(q, l.pressure), a = std::max(a, l.radius);
        for (const Layer& l : s.layers) e = std::min(e, l.modulus);
        EXPECT_LE(r.stress_error, std::max(options.tolerance * q, 1.5 * plain[i].stress_error));
        EXPECT_LE(r.displacement_error, std::max(options.tolerance * q * a / e, 1.5 * plain[i].displacement_error));
      }
    }
  }
}

TEST(PreparedGeometry, RowsDoNotDependOnTheStoreTheOrderOfCallsNorTheThreads) {
  for (const Geometry& g : geometries()) {
    Options options;
    options.threads = g.threads;
    options.tolerance = 1e-6;
    const PreparedGeometry prepared(g.loads, g.points, options);
    std::vector<std::vector<std::uint64_t>> first;
    for (const Section& s : sections()) first.push_back(result_bits(prepared.analyse(s)));
    EXPECT_GT(prepared.kept_bytes(), 0u) << g.name;
    // Warm store, reversed order, another thread count.
    Options other = options;
    other.threads = 3 - g.threads;
    const PreparedGeometry fresh(g.loads, g.points, other);
    const std::vector<Section> all = sections();
    for (std::size_t k = all.size(); k-- > 0;) {
      EXPECT_EQ(result_bits(prepared.analyse(all[k])), first[k]) << g.name << ", section " << k;
      EXPECT_EQ(result_bits(fresh.analyse(all[k])), first[k]) << g.name << ", section " << k << ", other threads";
    }
  }
}

TEST(PreparedGeometry, CallsFromSeveralThreadsAtOnceGiveTheSameRows) {
  const Geometry g = geometries()[1];
  const PreparedGeometry prepared(g.loads, g.points);
  const std::vector<Section> all = sections();
  std::vector<std::vector<std::uint64_t>> got(all.size());
  std::vector<std::thread> pool;
  for (std::size_t i = 0; i < all.size(); ++i) pool.emplace_back([&, i] { got[i] = result_bits(prepared.analyse(all[i])); });
  for (std::thread& t : pool) t.join();
  const PreparedGeometry alone(g.loads, g.points);
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(got[i], result_bits(alone.analyse(all[i]))) << i;
}

std::string message_of(const auto& call) {
  try {
    call();
  } catch (const InvalidProblem& e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(PreparedGeometry, RefusesWhatAnalyseRefusesWithTheSameMessage) {
  const Section good = sections()[0];
  const std::vector<Load> loads{Load::from_force(0, 0, 40000, 0.7)};
  const std::vector<Point> points{{0, 0, 0}};
  Options bad_tolerance;
  bad_tolerance.tolerance = 0.5;
  struct Case {
    const char* what;
    std::vector<Load> loads;
    std::vector<Point> points;
    Options options;
  };
  const Case geometry_faults[] = {
      {"no loads", {}, points, {}},
      {"negative radius", {Load{0, 0, -1, 0.7}}, points, {}},
      {"point above the surface", loads, {{0, 0, -1}}, {}},
      {"point far away", loads, {{1e20, 0, 0}}, {}},
      {"tolerance", loads, points, bad_tolerance},
  };
  for (const Case& c : geometry_faults) {
    const std::string expected = message_of([&] { analyse(good, c.loads, c.points, c.options); });
    EXPECT_NE(expected, "(accepted)") << c.what;
    EXPECT_EQ(message_of([&] { PreparedGeometry(c.loads, c.points, c.options); }), expected) << c.what;
  }
  const PreparedGeometry prepared(loads, points);
  const Section section_faults[] = {
      Section{},
      Section{{Layer{-3000, 0.35, 150}, Layer{80, 0.45, 0}}},
      Section{{Layer{3000, 0.35, 0.01}, Layer{80, 0.45, 0}}},  // thinner than 1e-3 radii
      Section{{Layer{3e12, 0.35, 150}, Layer{80, 0.45, 0}}},
  };
  for (const Section& s : section_faults) {
    const std::string expected = message_of([&] { analyse(s, loads, points); });
    EXPECT_NE(expected, "(accepted)");
    EXPECT_EQ(message_of([&] { prepared.analyse(s); }), expected);
  }
}

}  // namespace
}  // namespace kestral::multilayer
