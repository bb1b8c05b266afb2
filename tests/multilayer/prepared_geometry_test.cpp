// A prepared geometry gives the rows of analyse() bit for bit, on every
// section it is handed, in any order, from one thread or several at once,
// with its store empty, filling or full; and refuses what analyse() refuses
// with the same message.
#include <gtest/gtest.h>

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

TEST(PreparedGeometry, GivesTheRowsOfAnalyseBitForBit) {
  for (const Geometry& g : geometries()) {
    Options options;
    options.threads = g.threads;
    options.tolerance = 1e-6;
    const PreparedGeometry prepared(g.loads, g.points, options);
    // Twice round: first with the store filling, then with it warm.
    for (int round = 0; round < 2; ++round) {
      for (const Section& s : sections()) {
        EXPECT_EQ(result_bits(prepared.analyse(s)), result_bits(analyse(s, g.loads, g.points, options)))
            << g.name << ", round " << round << ", " << s.layers.size() << " layers, E1 " << s.layers[0].modulus;
      }
    }
    EXPECT_GT(prepared.kept_bytes(), 0u) << g.name;
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
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(got[i], result_bits(analyse(all[i], g.loads, g.points))) << i;
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
