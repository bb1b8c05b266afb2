// Every refusal of analyse(): the item and the value named in one line,
// InvalidProblem and nothing else thrown, nothing computed.
#include "multilayer/validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "multilayer/analysis.h"

namespace kestral::multilayer {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct Problem {
  Section section{{Layer{3000, 0.35, 150}, Layer{300, 0.4, 300}, Layer{60, 0.45, 0}}};
  std::vector<Load> loads{Load{0, 0, 100, 0.7}, Load{300, 0, 100, 0.7}};
  std::vector<Point> points{{0, 0, 0}, {10, 20, 150}};
  Options options{};
};

struct Refusal {
  std::string what;
  std::function<void(Problem&)> spoil;
  std::string message;
};

std::vector<Refusal> refusals() {
  return {
      {"no layers", [](Problem& p) { p.section.layers.clear(); }, "section: no layers (at least one, the half-space, is needed)"},
      {"zero modulus", [](Problem& p) { p.section.layers[1].modulus = 0; }, "layer 2 of 3: modulus must be finite and > 0, got 0"},
      {"negative modulus", [](Problem& p) { p.section.layers[0].modulus = -5; }, "layer 1 of 3: modulus must be finite and > 0, got -5"},
      {"nan modulus", [](Problem& p) { p.section.layers[2].modulus = kNaN; }, "layer 3 of 3: modulus must be finite and > 0, got nan"},
      {"infinite modulus", [](Problem& p) { p.section.layers[2].modulus = kInf; }, "layer 3 of 3: modulus must be finite and > 0, got inf"},
      {"ratio above a half", [](Problem& p) { p.section.layers[0].poisson = 0.5000001; }, "layer 1 of 3: Poisson's ratio must lie in [0, 0.5], got 0.5000001"},
      {"negative ratio", [](Problem& p) { p.section.layers[1].poisson = -0.1; }, "layer 2 of 3: Poisson's ratio must lie in [0, 0.5], got -0.1"},
      {"nan ratio", [](Problem& p) { p.section.layers[2].poisson = kNaN; }, "layer 3 of 3: Poisson's ratio must lie in [0, 0.5], got nan"},
      {"zero thickness", [](Problem& p) { p.section.layers[0].thickness = 0; }, "layer 1 of 3: thickness must be finite and > 0, got 0"},
      {"infinite thickness", [](Problem& p) { p.section.layers[1].thickness = kInf; }, "layer 2 of 3: thickness must be finite and > 0, got inf"},
      {"too thin", [](Problem& p) { p.section.layers[1].thickness = 0.09; }, "layer 2 of 3: thickness 0.09 is less than 1e-3 of the largest load radius 100"},
      {"negative spring", [](Problem& p) { p.section.layers[0].below = {InterfaceKind::spring, -1}; }, "interface 1 of 2 (below layer 1): spring stiffness must be finite and >= 0, got -1"},
      {"nan spring", [](Problem& p) { p.section.layers[1].below = {InterfaceKind::spring, kNaN}; }, "interface 2 of 2 (below layer 2): spring stiffness must be finite and >= 0, got nan"},
      {"unknown kind", [](Problem& p) { p.section.layers[1].below.kind = static_cast<InterfaceKind>(7); }, "interface 2 of 2 (below layer 2): unknown interface kind 7"},
      {"moduli too far apart", [](Problem& p) { p.section.layers[2].modulus = 2.9e-5; }, "section: moduli 2.9e-05 (layer 3) and 3000 (layer 1) are more than 1e8 apart"},
      {"no loads", [](Problem& p) { p.loads.clear(); }, "loads: none given (at least one is needed)"},
      {"load radius zero", [](Problem& p) { p.loads[1].radius = 0; }, "load 2 of 2: radius must be finite and > 0, got 0"},
      {"load from a negative force", [](Problem& p) { p.loads[0] = Load::from_force(0, 0, -20000, 0.56); }, "load 1 of 2: radius must be finite and > 0, got nan"},
      {"load pressure", [](Problem& p) { p.loads[0].pressure = -0.5; }, "load 1 of 2: pressure must be finite and > 0, got -0.5"},
      {"load x", [](Problem& p) { p.loads[1].x = kNaN; }, "load 2 of 2: centre x must be finite and at most 1e100 in size, got nan"},
      {"load y", [](Problem& p) { p.loads[1].y = 1e101; }, "load 2 of 2: centre y must be finite and at most 1e100 in size, got 1e+101"},
      {"scales out of range", [](Problem& p) { for (Load& l : p.loads) l.pressure = 1e-300; p.section.layers[1].modulus = 1e10; p.section.layers[0].modulus = 1e10; p.section.layers[2].modulus = 1e10; }, "problem: the result scales (pressure 1e-300, radius 100, modulus 1e+10) are beyond the range of double precision"},
      {"point x", [](Problem& p) { p.points[1].x = kInf; }, "point 2 of 2: x must be finite and at most 1e100 in size, got inf"},
      {"point y", [](Problem& p) { p.points[0].y = kNaN; }, "point 1 of 2: y must be finite and at most 1e100 in size, got nan"},
      {"point above the surface", [](Problem& p) { p.points[1].z = -1e-9; }, "point 2 of 2: depth z must be finite, >= 0 and at most 1e100, got -1e-09"},
      {"point far off", [](Problem& p) { p.points[1].x = 1.5e14; }, "point 2 of 2: x 1.5e+14 is more than 1e12 load radii (100) from the origin"},
      {"point deep", [](Problem& p) { p.points[0].z = 2e14; }, "point 1 of 2: depth z 2e+14 is more than 1e12 load radii (100) from the origin"},
      {"load far off", [](Problem& p) { p.loads[0].y = -3e14; }, "load 1 of 2: centre y -3e+14 is more than 1e12 load radii (100) from the origin"},
      {"section too deep", [](Problem& p) { p.section.layers[1].thickness = 5e14; }, "section: total thickness 500000000000150 is more than 1e12 load radii (100)"},
      {"point side", [](Problem& p) { p.points[0].side = static_cast<Side>(9); }, "point 1 of 2: unknown side 9"},
      {"tolerance too small", [](Problem& p) { p.options.tolerance = 1e-14; }, "options: tolerance must lie in (1e-14, 1e-2], got 1e-14"},
      {"tolerance too large", [](Problem& p) { p.options.tolerance = 0.02; }, "options: tolerance must lie in (1e-14, 1e-2], got 0.02"},
      {"tolerance nan", [](Problem& p) { p.options.tolerance = kNaN; }, "options: tolerance must lie in (1e-14, 1e-2], got nan"},
      {"negative threads", [](Problem& p) { p.options.threads = -1; }, "options: threads must be >= 0, got -1"},
  };
}

// What a reader needs to name the place in its own file (analyse/
// problem_file.cpp turns these into `layers[1].thickness`, `grid.z[3]`).
TEST(Validation, EveryLimitNamesItsPlace) {
  using Check = ProblemPlace::Check;
  using Item = ProblemPlace::Item;
  const struct {
    std::function<void(Problem&)> spoil;
    ProblemPlace place;
  } cases[] = {
      {[](Problem& p) { p.section.layers[1].thickness = 0.09; }, {Check::thin_layer, Item::layer, 1, 0, "thickness", 0.09, 100}},
      {[](Problem& p) { p.section.layers[2].modulus = 2.9e-5; }, {Check::modulus_ratio, Item::layer, 2, 0, "modulus", 2.9e-5, 0}},  // softest 2, stiffest 0
      {[](Problem& p) { p.points[1].x = 1.5e14; }, {Check::reach, Item::point, 1, 0, "x", 1.5e14, 100}},
      {[](Problem& p) { p.points[0].z = 2e14; }, {Check::reach, Item::point, 0, 0, "z", 2e14, 100}},
      {[](Problem& p) { p.loads[0].y = -3e14; }, {Check::reach, Item::load, 0, 0, "y", -3e14, 100}},
      // The first layer whose bottom lies beyond reach, with that depth.
      {[](Problem& p) { p.section.layers[1].thickness = 5e14; }, {Check::reach, Item::layer, 1, 0, "thickness", 150 + 5e14, 100}},
      {[](Problem& p) { p.points[1].y = kInf; }, {Check::value, Item::point, 1, 0, "y", kInf, 0}},
      {[](Problem& p) { p.section.layers[0].below = {InterfaceKind::spring, -1}; }, {Check::value, Item::interface, 0, 0, "spring_stiffness", -1, 0}},
      {[](Problem& p) { p.options.tolerance = 0.02; }, {Check::options, Item::problem, 0, 0, "tolerance", 0.02, 0}},
  };
  for (const auto& c : cases) {
    Problem p;
    c.spoil(p);
    try {
      validate_problem(p.section, p.loads, p.points, p.options);
      ADD_FAILURE() << "accepted";
    } catch (const InvalidProblem& error) {
      const ProblemPlace& at = error.place();
      EXPECT_EQ(at.check, c.place.check) << error.what();
      EXPECT_EQ(at.item, c.place.item) << error.what();
      EXPECT_EQ(at.index, c.place.index) << error.what();
      EXPECT_EQ(at.other, c.place.other) << error.what();
      EXPECT_EQ(at.quantity, c.place.quantity) << error.what();
      EXPECT_EQ(at.value, c.place.value) << error.what();
      EXPECT_EQ(at.largest_radius, c.place.largest_radius) << error.what();
    }
  }
}

TEST(Validation, EveryFaultIsRefusedWithItsItemAndValue) {
  for (const Refusal& r : refusals()) {
    Problem p;
    r.spoil(p);
    try {
      analyse(p.section, p.loads, p.points, p.options);
      ADD_FAILURE() << r.what << ": accepted";
    } catch (const InvalidProblem& e) {
      EXPECT_EQ(std::string(e.what()), r.message) << r.what;
    } catch (...) {
      ADD_FAILURE() << r.what << ": threw something else";
    }
  }
}

TEST(Validation, IgnoredFieldsAndLimitsThatHoldAreAccepted) {
  Problem p;
  // The half-space's thickness and interface are ignored, as is the spring
  // stiffness of a bonded interface.
  p.section.layers[2].thickness = kNaN;
  p.section.layers[2].below = {InterfaceKind::spring, -3};
  p.section.layers[0].below = {InterfaceKind::bonded, kNaN};
  p.section.layers[0].poisson = 0.5;
  p.section.layers[1].poisson = 0.0;
  p.options.tolerance = 1e-2;
  p.options.threads = 0;
  EXPECT_EQ(analyse(p.section, p.loads, p.points, p.options).size(), 3u);
  EXPECT_TRUE(analyse(p.section, p.loads, {}, p.options).empty());
}

}  // namespace
}  // namespace kestral::multilayer
