// Every way a design problem file can be wrong gives one line naming the
// file, the place and the fault; a good file is read in engine units.
#include "design/problem_reader.h"

#include <gtest/gtest.h>

namespace kestral::design {
namespace {

using nlohmann::json;

json good_problem() {
  return json::parse(R"({
    "units": {"length": "mm", "stress": "MPa", "force": "N"},
    "layers": [{"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
               {"name": "base", "E": 300, "nu": 0.35, "thickness": 250},
               {"name": "subgrade", "E": 60, "nu": 0.45}],
    "axles": [{"name": "standard", "group": "single", "tyres": "dual", "load": 80000, "pressure": 0.56,
               "dual_spacing": 310, "repetitions": 1e7}],
    "criteria": [{"name": "fatigue", "strain": "horizontal_tensile", "layer": "asphalt",
                  "model": "asphalt-institute-fatigue"},
                 {"name": "rutting", "strain": "vertical_compressive", "layer": "subgrade",
                  "model": {"form": "power", "k1": 1.365e-9, "k2": 4.477}}],
    "seasons": [{"name": "summer", "share": 0.5, "E": {"asphalt": 1800}},
                {"name": "winter", "share": 0.5}],
    "thickness": {"layer": "asphalt", "min": 50, "max": 400, "resolution": 1}
  })");
}

TEST(DesignProblemReader, ReadsAGoodFileInEngineUnits) {
  json document = good_problem();
  document["units"] = {{"length", "m"}, {"stress", "kPa"}, {"force", "kN"}};
  document["layers"] = json::parse(R"([{"name": "asphalt", "E": 3e6, "nu": 0.35, "thickness": 0.15},
      {"name": "base", "E": 3e5, "nu": 0.35, "thickness": 0.25}, {"name": "subgrade", "E": 6e4, "nu": 0.45}])");
  document["axles"][0]["load"] = 80;
  document["axles"][0]["pressure"] = 560;
  document["axles"][0]["dual_spacing"] = 0.31;
  document["seasons"][0]["E"]["asphalt"] = 1.8e6;
  document["thickness"] = {{"layer", 0}, {"min", 0.05}, {"max", 0.4}, {"resolution", 0.001}};
  const DesignProblem problem = read_design_problem(document, "p.json");
  EXPECT_DOUBLE_EQ(problem.axles[0].load, 80000.0);
  EXPECT_DOUBLE_EQ(problem.axles[0].pressure, 0.56);
  EXPECT_DOUBLE_EQ(problem.axles[0].dual_spacing, 310.0);
  EXPECT_DOUBLE_EQ(problem.axles[0].track, 1800.0);
  EXPECT_DOUBLE_EQ(problem.seasons[0].moduli[0], 1800.0);
  EXPECT_DOUBLE_EQ(problem.seasons[1].moduli[0], 3000.0);
  EXPECT_EQ(problem.criteria[0].at, Face::bottom);
  EXPECT_EQ(problem.criteria[1].at, Face::top);
  EXPECT_EQ(problem.criteria[1].layer, 2u);
  EXPECT_DOUBLE_EQ(problem.thickness->resolution, 1.0);
}

struct BadCase {
  const char* pointer;  // JSON pointer of the value replaced ("" : add a top-level key)
  const char* value;    // replacement (JSON); "DELETE" removes it
  const char* message;
};

TEST(DesignProblemReader, RefusesEveryFaultWithItsPlace) {
  const BadCase cases[] = {
      {"/layers/1/nu", "0.6", "p.json: layers[1].nu: is 0.6, must be 0 to 0.5"},
      {"/extra", "1", "p.json: extra: unknown key"},
      {"/axles", "DELETE", "p.json: axles: missing"},
      {"/axles/0/group", "\"quad\"", "p.json: axles[0].group: is \"quad\", must be \"single\", \"tandem\" or \"tridem\""},
      {"/axles/0/tyres", "\"triple\"", "p.json: axles[0].tyres: is \"triple\", must be \"single\" or \"dual\""},
      {"/axles/0/load", "-1", "p.json: axles[0].load: is -1, must be above 0"},
      {"/axles/0/repetitions", "-5", "p.json: axles[0].repetitions: is -5, must be 0 or more"},
      {"/axles/0/dual_spacing", "100", "p.json: axles[0].dual_spacing: is 100, less than the tyre's diameter (213.24361862292307): the tyres would overlap"},
      {"/axles/0/dual_spacing", "DELETE", "p.json: axles[0].dual_spacing: missing"},
      {"/axles/0/axle_spacing", "1300", "p.json: axles[0].axle_spacing: given for a single axle"},
      {"/axles/0/track", "400", "p.json: axles[0].track: is 400, less than the width of a tyre set (523.2436186229231): the tyres would overlap"},
      {"/axles/0/wheels", "2", "p.json: axles[0].wheels: unknown key"},
      {"/criteria/0/layer", "\"surface\"", "p.json: criteria[0].layer: is \"surface\", no layer has that name"},
      {"/criteria/0/layer", "7", "p.json: criteria[0].layer: must be a layer's name or its index, 0 to 2"},
      {"/criteria/0/at", "\"middle\"", "p.json: criteria[0].at: is \"middle\", must be \"top\" or \"bottom\""},
      {"/criteria/1/at", "\"bottom\"", "p.json: criteria[1].at: the bottom of the last layer: the half-space has no bottom"},
      {"/criteria/0/strain", "\"shear\"", "p.json: criteria[0].strain: is \"shear\", must be \"horizontal_tensile\" or \"vertical_compressive\""},
      {"/criteria/0/model", "\"asphalt-institute-rutting\"", "p.json: criteria[0].model: asphalt-institute-rutting is a model of vertical compressive strain, not of horizontal tensile strain"},
      {"/criteria/1/model/k3", "0.8", "p.json: criteria[1].model: give \"k3\" and \"modulus_unit\" together, or neither"},
      {"/criteria/1/model/k1", "0", "p.json: criteria[1].model.k1: is 0, must be above 0"},
      {"/criteria/1/model/form", "\"log\"", "p.json: criteria[1].model.form: is \"log\", must be \"power\""},
      {"/criteria/1/name", "\"fatigue\"", "p.json: criteria[1].name: \"fatigue\" is given to another criterion too"},
      {"/seasons/1/share", "0.4", "p.json: seasons: the shares add up to 0.9, must add up to 1"},
      {"/seasons/0/E/asphalt", "0", "p.json: seasons[0].E.asphalt: is 0, must be above 0"},
      {"/seasons/0/E/bitumen", "10", "p.json: seasons[0].E.bitumen: is \"bitumen\", no layer has that name"},
      {"/thickness/layer", "\"subgrade\"", "p.json: thickness.layer: the last layer is the half-space and has no thickness"},
      {"/thickness/max", "40", "p.json: thickness.max: is 40, less than min (50)"},
      {"/thickness/resolution", "0", "p.json: thickness.resolution: is 0, must be above 0"},
  };
  for (const BadCase& c : cases) {
    json document = good_problem();
    const json::json_pointer pointer(c.pointer);
    if (std::string(c.value) == "DELETE") {
      document[pointer.parent_pointer()].erase(pointer.back());
    } else {
      document[pointer] = json::parse(c.value);
    }
    try {
      read_design_problem(document, "p.json");
      ADD_FAILURE() << c.pointer << " = " << c.value << " was accepted";
    } catch (const analyse::ProblemError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace kestral::design
