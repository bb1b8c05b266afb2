// Every key of the problem file and every way to get one wrong: the message
// names the file, the place and the fault, exactly as docs/messages.md lists it.
#include "analyse/problem_file.h"

#include <gtest/gtest.h>

#include <string>

#include "analyse/json_document.h"

namespace kestral::analyse {
namespace {

using multilayer::InterfaceKind;
using multilayer::Side;

Problem read_text(const std::string& text) { return read_problem(parse_json_text(text, "p.json"), "p.json"); }

// A valid problem with `insert` spliced in at the top level.
std::string with_top(const std::string& insert) {
  return R"({"layers": [{"E": 3000, "nu": 0.35, "thickness": 150}, {"E": 60, "nu": 0.4}],
             "loads": [{"load": 20000, "pressure": 0.56}], "points": [{"z": 0}])" +
         (insert.empty() ? "" : ", " + insert) + "}";
}

TEST(ProblemFile, ReadsEveryKeyIntoEngineUnits) {
  const Problem problem = read_text(R"({
    "note": "a three-layer section",
    "units": {"length": "m", "stress": "kPa", "force": "kN", "note": "SI"},
    "layers": [
      {"name": "asphalt", "E": 3000000, "nu": 0.35, "thickness": 0.15, "interface_below": "bonded", "note": "AC"},
      {"name": "base", "E": 300000, "nu": 0.3, "thickness": 0.25, "interface_below": {"spring": 500, "note": "k"}},
      {"E": 60000, "nu": 0.5}],
    "loads": [{"x": 0, "y": 0, "load": 20, "pressure": 560},
              {"x": 0.31, "y": -0.1, "radius": 0.1, "pressure": 700, "note": "second wheel"}],
    "points": [{"x": 0.155, "y": 0, "z": 0.15, "side": "below"}, {"z": 0.4, "note": "default x, y"}],
    "grid": {"x": [0, 1], "y": [2], "z": [3, 4], "side": "above", "note": "profile"},
    "tolerance": 1e-6})");
  EXPECT_EQ(problem.source, "p.json");
  ASSERT_EQ(problem.section.layers.size(), 3u);
  const auto& layers = problem.section.layers;
  // 3e6 kPa = 3000 MPa, 0.15 m = 150 mm: factors of ten are exact to a
  // rounding of the product, so compare to a few units in the last place.
  EXPECT_DOUBLE_EQ(layers[0].modulus, 3000.0);
  EXPECT_DOUBLE_EQ(layers[0].thickness, 150.0);
  EXPECT_EQ(layers[0].below.kind, InterfaceKind::bonded);
  EXPECT_EQ(layers[1].below.kind, InterfaceKind::spring);
  EXPECT_DOUBLE_EQ(layers[1].below.spring_stiffness, 500.0 * 1e-3 / 1000.0);  // kPa/m -> MPa/mm
  EXPECT_DOUBLE_EQ(layers[2].poisson, 0.5);
  EXPECT_EQ(problem.layer_names, (std::vector<std::string>{"asphalt", "base", ""}));
  EXPECT_TRUE(problem.has_layer_names());

  ASSERT_EQ(problem.loads.size(), 2u);
  EXPECT_TRUE(problem.loads[0].by_force);
  EXPECT_DOUBLE_EQ(problem.loads[0].force, 20000.0);
  EXPECT_DOUBLE_EQ(problem.loads[0].pressure, 0.56);
  EXPECT_FALSE(problem.loads[1].by_force);
  EXPECT_DOUBLE_EQ(problem.loads[1].radius, 100.0);
  EXPECT_DOUBLE_EQ(problem.loads[1].x, 310.0);
  EXPECT_DOUBLE_EQ(problem.loads[1].y, -100.0);

  // Points first, then the grid with x outermost and z innermost.
  ASSERT_EQ(problem.points.size(), 6u);
  EXPECT_EQ(problem.points[0].side, Side::below);
  EXPECT_DOUBLE_EQ(problem.points[0].x, 155.0);
  EXPECT_EQ(problem.points[1].side, Side::both);
  const std::vector<std::array<double, 3>> grid{{0, 2, 3}, {0, 2, 4}, {1, 2, 3}, {1, 2, 4}};
  for (std::size_t i = 0; i < grid.size(); ++i) {
    EXPECT_EQ(problem.coordinates[2 + i], grid[i]) << i;
    EXPECT_EQ(problem.points[2 + i].side, Side::above);
    EXPECT_DOUBLE_EQ(problem.points[2 + i].z, grid[i][2] * 1000.0);
  }
  EXPECT_EQ(problem.coordinates[0], (std::array<double, 3>{0.155, 0, 0.15}));
  EXPECT_EQ(problem.tolerance, 1e-6);
  EXPECT_TRUE(problem.notes.empty());
}

TEST(ProblemFile, EchoesTheProblemAsUnderstoodWithDefaults) {
  const Problem problem = read_text(with_top(""));
  EXPECT_EQ(problem.echo.dump(),
            R"({"units":{"length":"mm","stress":"MPa","force":"N"},)"
            R"("layers":[{"E":3000.0,"nu":0.35,"thickness":150.0,"interface_below":"bonded"},{"E":60.0,"nu":0.4}],)"
            R"("loads":[{"x":0.0,"y":0.0,"load":20000.0,"pressure":0.56}],)"
            R"("points":[{"x":0.0,"y":0.0,"z":0.0,"side":"both"}],"tolerance":1e-08})");
  EXPECT_FALSE(problem.has_layer_names());
  EXPECT_EQ(problem.tolerance, multilayer::Options{}.tolerance);
}

TEST(ProblemFile, ImperialUnitsConvertByTheirDefinitions) {
  const Problem problem = read_text(R"({"units": {"length": "in", "stress": "psi", "force": "lbf"},
    "layers": [{"E": 1, "nu": 0, "thickness": 1}, {"E": 1, "nu": 0}],
    "loads": [{"load": 1, "pressure": 1}], "points": [{"z": 1}]})");
  EXPECT_EQ(problem.section.layers[0].thickness, 25.4);
  EXPECT_EQ(problem.loads[0].force, 4.4482216152605);
  EXPECT_DOUBLE_EQ(problem.section.layers[0].modulus, 4.4482216152605 / (25.4 * 25.4));
}

struct Rejection {
  const char* text;     // the whole problem file
  const char* message;  // the whole diagnostic line
};

const std::string kLayers = R"("layers": [{"E": 3000, "nu": 0.35, "thickness": 150}, {"E": 60, "nu": 0.4}])";
const std::string kLoads = R"("loads": [{"load": 20000, "pressure": 0.56}])";
const std::string kPoints = R"("points": [{"z": 0}])";

std::string problem_with(const std::string& layers, const std::string& loads, const std::string& points) {
  return "{" + layers + ", " + loads + ", " + points + "}";
}

TEST(ProblemFile, RejectsEveryMistakeWithItsPlace) {
  const std::string one_layer_head = R"("layers": [)";
  const std::vector<std::pair<std::string, std::string>> cases{
      // The document and its top level.
      {"", "p.json: line 1, column 1: not valid JSON: syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
      {"[1]", "p.json: the problem: must be an object, not an array"},
      {with_top(R"("thicknes": 3)"), "p.json: thicknes: unknown key"},
      {with_top(R"("note": 3)"), "p.json: note: must be a string, not a number"},
      {with_top(R"("tolerance": 0)"), "p.json: tolerance: is 0, must be above 1e-14 and at most 0.01"},
      {with_top(R"("tolerance": 0.5)"), "p.json: tolerance: is 0.5, must be above 1e-14 and at most 0.01"},
      {with_top(R"("tolerance": "1e-8")"), "p.json: tolerance: must be a number, not a string"},
      {with_top(R"("points": [])"), "p.json: points: given twice"},
      {"{" + kLoads + ", " + kPoints + "}", "p.json: layers: missing"},
      {"{" + kLayers + ", " + kPoints + "}", "p.json: loads: missing"},
      {"{" + kLayers + ", " + kLoads + "}", "p.json: points: missing: give \"points\", \"grid\" or both"},
      {problem_with(kLayers, kLoads, R"("points": [])"), "p.json: points: none given: \"points\" is empty and there is no \"grid\""},
      // Units.
      {with_top(R"("units": "mm")"), "p.json: units: must be an object, not a string"},
      {with_top(R"("units": {"length": "cm"})"), "p.json: units.length: is \"cm\", must be one of mm, m, in"},
      {with_top(R"("units": {"stress": "GPa"})"), "p.json: units.stress: is \"GPa\", must be one of MPa, kPa, psi"},
      {with_top(R"("units": {"force": "kip"})"), "p.json: units.force: is \"kip\", must be one of N, kN, lbf"},
      {with_top(R"("units": {"force": 1})"), "p.json: units.force: must be a string, not a number"},
      {with_top(R"("units": {"time": "s"})"), "p.json: units.time: unknown key"},
      // Layers.
      {problem_with(R"("layers": [])", kLoads, kPoints), "p.json: layers: must not be empty"},
      {problem_with(R"("layers": {})", kLoads, kPoints), "p.json: layers: must be an array, not an object"},
      {problem_with(R"("layers": [3])", kLoads, kPoints), "p.json: layers[0]: must be an object, not a number"},
      {problem_with(R"("layers": [{"E": 3000, "nu": 0.35, "thicknes": 150}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].thicknes: unknown key"},
      {problem_with(R"("layers": [{"E": 3000, "nu": 0.35}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].thickness: missing (only the last layer, the half-space, has none)"},
      {problem_with(R"("layers": [{"nu": 0.35}])", kLoads, kPoints), "p.json: layers[0].E: missing"},
      // E is checked before nu (a survey checks nu first).
      {problem_with(R"("layers": [{"E": -1, "nu": 0.6}])", kLoads, kPoints), "p.json: layers[0].E: is -1, must be above 0"},
      {problem_with(R"("layers": [{"E": 60}])", kLoads, kPoints), "p.json: layers[0].nu: missing"},
      {problem_with(R"("layers": [{"E": 0, "nu": 0.4}])", kLoads, kPoints), "p.json: layers[0].E: is 0, must be above 0"},
      {problem_with(R"("layers": [{"E": -5, "nu": 0.4}])", kLoads, kPoints), "p.json: layers[0].E: is -5, must be above 0"},
      {problem_with(R"("layers": [{"E": 1e999, "nu": 0.4}])", kLoads, kPoints), "p.json: not valid JSON: number overflow parsing '1e999'"},
      {problem_with(R"("layers": [{"E": true, "nu": 0.4}])", kLoads, kPoints), "p.json: layers[0].E: must be a number, not a boolean"},
      {problem_with(R"("layers": [{"E": null, "nu": 0.4}])", kLoads, kPoints), "p.json: layers[0].E: must be a number, not null"},
      {problem_with(R"("layers": [{"E": 60, "nu": 0.6}])", kLoads, kPoints), "p.json: layers[0].nu: is 0.6, must be 0 to 0.5"},
      {problem_with(R"("layers": [{"E": 60, "nu": -0.1}])", kLoads, kPoints), "p.json: layers[0].nu: is -0.1, must be 0 to 0.5"},
      {problem_with(R"("layers": [{"E": 60, "nu": 0.4, "name": 7}])", kLoads, kPoints), "p.json: layers[0].name: must be a string, not a number"},
      {problem_with(R"("layers": [{"E": 60, "nu": 0.4, "E": 70}])", kLoads, kPoints), "p.json: layers[0].E: given twice"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 0}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].thickness: is 0, must be above 0"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 10}, {"E": 60, "nu": 0.4, "thickness": 5}])", kLoads, kPoints),
       "p.json: layers[1].thickness: the last layer is the half-space and has no thickness"},
      {problem_with(R"("layers": [{"E": 60, "nu": 0.4, "interface_below": "bonded"}])", kLoads, kPoints),
       "p.json: layers[0].interface_below: the last layer is the half-space and has no interface below"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 10, "interface_below": "glued"}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].interface_below: is \"glued\", must be \"bonded\", \"frictionless\" or {\"spring\": stiffness}"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 10, "interface_below": 1}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].interface_below: must be \"bonded\", \"frictionless\" or {\"spring\": stiffness}"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 10, "interface_below": {"sprung": 1}}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].interface_below.sprung: unknown key"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 10, "interface_below": {}}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].interface_below.spring: missing"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 10, "interface_below": {"spring": -1}}, {"E": 60, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[0].interface_below.spring: is -1, must be 0 or more"},
      // Loads.
      {problem_with(kLayers, R"("loads": [])", kPoints), "p.json: loads: must not be empty"},
      {problem_with(kLayers, R"("loads": [{"radius": 1, "pressure": 1}, {"radius": 1, "pressure": 1, "x": 2e12}])", kPoints),
       "p.json: loads[1].x: is 2e+12, more than 1e12 load radii (1) from the origin"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0, "thickness": 6e11}, {"E": 1, "nu": 0, "thickness": 6e11}, {"E": 1, "nu": 0}])",
                    R"("loads": [{"radius": 1, "pressure": 1}])", kPoints),
       "p.json: layers[1].thickness: puts the bottom of the layer 1.2e+12 deep, more than 1e12 load radii (1)"},
      {problem_with(kLayers, R"("loads": [{"radius": 1, "pressure": 1}])", R"("points": [{"z": 1, "y": -1.5e12}])"),
       "p.json: points[0].y: is -1.5e+12, more than 1e12 load radii (1) from the origin"},
      {problem_with(kLayers, R"("loads": [{"radius": 1, "pressure": 1}])", R"("grid": {"x": [0], "y": [0], "z": [1, 3e12]})"),
       "p.json: grid.z[1]: is 3e+12, more than 1e12 load radii (1) from the origin"},
      // The engine names a point of the grid; the message names its axis value.
      {problem_with(kLayers, R"("loads": [{"radius": 1, "pressure": 1}])", R"("grid": {"x": [0, 2e12], "y": [0, 1], "z": [1, 2]})"),
       "p.json: grid.x[1]: is 2e+12, more than 1e12 load radii (1) from the origin"},
      {problem_with(kLayers, R"("loads": [{"radius": 1, "pressure": 1}])",
                    R"("points": [{"z": 1}], "grid": {"x": [0, 1], "y": [0, -2e12, 5], "z": [1, 2]})"),
       "p.json: grid.y[1]: is -2e+12, more than 1e12 load radii (1) from the origin"},
      {R"({"units": {"length": "m"}, )" + kLayers + R"(, "loads": [{"radius": 1, "pressure": 1}], "points": [{"z": 1}, {"z": 1, "x": 2e12}]})",
       "p.json: points[1].x: is 2e+12, more than 1e12 load radii (1) from the origin"},
      {R"({"units": {"length": "m"}, "layers": [{"E": 1, "nu": 0, "thickness": 1e306}, {"E": 1, "nu": 0}], )" + kLoads + ", " + kPoints + "}",
       "p.json: layers[0].thickness: is 1e+306, beyond the range of a double once converted to mm or N"},
      {R"({"units": {"force": "kN"}, )" + kLayers + R"(, "loads": [{"load": 1e306, "pressure": 1}], )" + kPoints + "}",
       "p.json: loads[0].load: is 1e+306, beyond the range of a double once converted to mm or N"},
      {problem_with(kLayers, R"("loads": [{"load": 20000, "pressure": 4e-320}])", kPoints),
       "p.json: loads[0].pressure: is 4e-320, below the range of double precision"},
      {problem_with(kLayers, R"("loads": [{"load": 1e300, "pressure": 1e-300}])", kPoints),
       "p.json: loads[0].pressure: is 1e-300: the contact radius of the load at this pressure is beyond the range of double precision"},
      {problem_with(kLayers, R"("loads": [{"load": 1, "pressure": 1, "y": -2e100}])", kPoints),
       "p.json: loads[0].y: is -2e+100, must be at most 1e+100 in size"},
      {with_top(R"("units": {"length": "m"}, "grid": {"x": [1e98], "y": [0], "z": [0]})"),
       "p.json: grid.x[0]: is 1e+98, must be at most 1e+97 in size"},
      {problem_with(kLayers, kLoads, R"("points": [{"z": 1e101}])"),
       "p.json: points[0].z: is 1e+101, must be 0 to 1e+100 (down from the surface)"},
      {problem_with(R"("layers": [{"E": 3000, "nu": 0.35, "thickness": 150}, {"E": 1e-9, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[1].E: is 1e-09, more than 1e8 times less than that of layers[0] (3000)"},
      {problem_with(R"("layers": [{"E": 1, "nu": 0.35, "thickness": 150}, {"E": 1, "nu": 0.4, "thickness": 1}, {"E": 2e12, "nu": 0.4}])", kLoads, kPoints),
       "p.json: layers[2].E: is 2e+12, more than 1e8 times that of layers[0] (1)"},
      {problem_with(R"("layers": [{"E": 3000, "nu": 0.35, "thickness": 1e-5}, {"E": 60, "nu": 0.4}])", R"("loads": [{"radius": 100, "pressure": 1}])", kPoints),
       "p.json: layers[0].thickness: is 1e-05, less than 1e-3 of the largest load radius (100)"},
      {problem_with(kLayers, R"("loads": [{"pressure": 0.56}])", kPoints), "p.json: loads[0]: give \"load\" or \"radius\" with the \"pressure\""},
      {problem_with(kLayers, R"("loads": [{"load": 1, "radius": 1, "pressure": 0.56}])", kPoints), "p.json: loads[0]: give \"load\" or \"radius\", not both"},
      {problem_with(kLayers, R"("loads": [{"load": 1}])", kPoints), "p.json: loads[0].pressure: missing"},
      {problem_with(kLayers, R"("loads": [{"load": 0, "pressure": 1}])", kPoints), "p.json: loads[0].load: is 0, must be above 0"},
      {problem_with(kLayers, R"("loads": [{"radius": -2, "pressure": 1}])", kPoints), "p.json: loads[0].radius: is -2, must be above 0"},
      {problem_with(kLayers, R"("loads": [{"load": 1, "pressure": 0}])", kPoints), "p.json: loads[0].pressure: is 0, must be above 0"},
      {problem_with(kLayers, R"("loads": [{"load": 1, "pressure": 1, "x": "0"}])", kPoints), "p.json: loads[0].x: must be a number, not a string"},
      {problem_with(kLayers, R"("loads": [{"load": 1, "pressure": 1}, {"load": 1, "pressure": 1, "z": 0}])", kPoints),
       "p.json: loads[1].z: unknown key"},
      // Points and grid.
      {problem_with(kLayers, kLoads, R"("points": {"z": 0})"), "p.json: points: must be an array, not an object"},
      {problem_with(kLayers, kLoads, R"("points": [{"x": 0}])"), "p.json: points[0].z: missing"},
      {problem_with(kLayers, kLoads, R"("points": [{"z": -1}])"), "p.json: points[0].z: is -1, must be 0 to 1e+100 (down from the surface)"},
      {problem_with(kLayers, kLoads, R"("points": [{"z": 1, "y": [0]}])"), "p.json: points[0].y: must be a number, not an array"},
      {problem_with(kLayers, kLoads, R"("points": [{"z": 1, "side": "upper"}])"),
       "p.json: points[0].side: is \"upper\", must be \"above\", \"below\" or \"both\""},
      {problem_with(kLayers, kLoads, R"("points": [{"z": 1, "r": 0}])"), "p.json: points[0].r: unknown key"},
      {problem_with(kLayers, kLoads, R"("grid": {"x": [0], "y": [0]})"), "p.json: grid.z: missing"},
      {problem_with(kLayers, kLoads, R"("grid": {"x": [], "y": [0], "z": [0]})"), "p.json: grid.x: must not be empty"},
      {problem_with(kLayers, kLoads, R"("grid": {"x": [0], "y": 0, "z": [0]})"), "p.json: grid.y: must be an array, not a number"},
      {problem_with(kLayers, kLoads, R"("grid": {"x": [0], "y": [0], "z": [0, 5, -5]})"),
       "p.json: grid.z[2]: is -5, must be 0 to 1e+100 (down from the surface)"},
      {problem_with(kLayers, kLoads, R"("grid": {"x": [0, "a"], "y": [0], "z": [0]})"), "p.json: grid.x[1]: must be a number, not a string"},
      {problem_with(kLayers, kLoads, R"("grid": {"x": [0], "y": [0], "z": [0], "r": [0]})"), "p.json: grid.r: unknown key"},
      {problem_with(kLayers, kLoads, R"("grid": {"x": [0], "y": [0], "z": [0], "side": 1})"), "p.json: grid.side: must be a string, not a number"},
      {problem_with(kLayers, kLoads, R"("grid": [0])"), "p.json: grid: must be an object, not an array"},
  };
  for (const auto& [text, message] : cases) {
    try {
      read_text(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const ProblemError& error) {
      EXPECT_EQ(std::string(error.what()), message) << text;
    }
  }
}

TEST(ProblemFile, RefusesMorePointsThanTheLimitBeforeMakingThem) {
  // 1001 x 1001 x 1 grid points: over a million, refused from the sizes.
  std::string axis = "[0";
  for (int i = 1; i <= 1000; ++i) {
    axis += ',';
    axis += std::to_string(i);
  }
  axis += "]";
  try {
    read_text(problem_with(kLayers, kLoads, R"("grid": {"x": )" + axis + R"(, "y": )" + axis + R"(, "z": [0]})"));
    ADD_FAILURE() << "accepted";
  } catch (const ProblemError& error) {
    EXPECT_EQ(std::string(error.what()),
              "p.json: points: the problem has 1002001 points (points and grid), more than the limit of 1000000");
  }
}

TEST(ProblemFile, FileErrorsNameTheFile) {
  try {
    read_problem_file("/nonexistent/folder/p.json");
    ADD_FAILURE();
  } catch (const ProblemError& error) {
    EXPECT_EQ(std::string(error.what()), "/nonexistent/folder/p.json: cannot read: No such file or directory");
  }
  try {
    read_problem_file("/tmp");
    ADD_FAILURE();
  } catch (const ProblemError& error) {
    EXPECT_EQ(std::string(error.what()), "/tmp: cannot read: it is a folder");
  }
}

}  // namespace
}  // namespace kestral::analyse
