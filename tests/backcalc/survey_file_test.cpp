// The survey file: what it is understood as, every error of the file (one
// line naming the file and the place), every fault of a drop (a row of its
// own, the others go on), and the CSV drop file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analyse/problem.h"
#include "backcalc/survey_file.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/text_file.h"

namespace kestral::backcalc {
namespace {

const nlohmann::json kSurvey = nlohmann::json::parse(R"({
  "note": "three layers",
  "units": {"length": "mm", "stress": "MPa", "force": "N", "deflection": "um"},
  "layers": [
    {"name": "asphalt", "nu": 0.35, "thickness": 150, "E": {"seed": 3000, "min": 500, "max": 20000}},
    {"name": "base", "nu": 0.35, "thickness": 300, "E": {"min": 30, "max": 3000}, "interface_below": {"spring": 2}},
    {"name": "subgrade", "nu": 0.45, "E": 80}],
  "plate": {"radius": 150},
  "sensors": [0, 200, 300],
  "drops": [{"id": "0+000", "load": 40000, "deflections": [412.1, 318.0, 262.4]}]
})");

Survey read(const nlohmann::json& document, const DropsCsvInput& csv = {}) {
  return read_survey(document, "s.json", csv);
}

TEST(SurveyFile, IsUnderstoodInEngineUnitsWithDefaults) {
  nlohmann::json document = kSurvey;
  document["units"] = {{"length", "m"}, {"stress", "kPa"}, {"force", "kN"}, {"deflection", "mil"}};
  document["layers"][0]["thickness"] = 0.15;
  document["layers"][1]["thickness"] = 0.3;
  document["plate"]["radius"] = 0.15;
  document["sensors"] = {0, 0.2, 0.3};
  document["drops"][0]["load"] = 40;
  const Survey survey = read(document);
  EXPECT_DOUBLE_EQ(survey.section.layers[0].thickness, 150.0);
  EXPECT_DOUBLE_EQ(survey.plate_radius, 150.0);
  EXPECT_DOUBLE_EQ(survey.sensors[2], 300.0);
  EXPECT_TRUE(survey.moduli[0].searched);
  EXPECT_DOUBLE_EQ(survey.moduli[0].seed, 3.0);  // 3000 kPa
  // The seed of the base defaults to the geometric mean of its bounds.
  EXPECT_DOUBLE_EQ(survey.moduli[1].seed, std::sqrt(30.0 * 3000.0) * 1e-3);
  EXPECT_FALSE(survey.moduli[2].searched);
  EXPECT_EQ(survey.section.layers[1].below.kind, multilayer::InterfaceKind::spring);
  EXPECT_DOUBLE_EQ(survey.section.layers[1].below.spring_stiffness, 2.0e-3 / 1000.0);  // kPa/m in MPa/mm
  EXPECT_DOUBLE_EQ(survey.drops[0].load, 40000.0);
  EXPECT_DOUBLE_EQ(survey.drops[0].deflections[0], 412.1 * 0.0254);
  EXPECT_DOUBLE_EQ(survey.tolerance, 1e-6);
  EXPECT_DOUBLE_EQ(survey.noise, 0.001);
  EXPECT_DOUBLE_EQ(survey.max_rms_percent, 2.0);
  EXPECT_EQ(survey.layer_labels, (std::vector<std::string>{"asphalt", "base", "subgrade"}));
  EXPECT_EQ(survey.echo["layers"][1]["E"]["seed"].get<double>(), std::sqrt(30.0) * std::sqrt(3000.0));
  EXPECT_EQ(survey.echo["units"]["deflection"], "mil");
  EXPECT_EQ(survey.echo["drops"][0]["id"], "0+000");
}

struct FileError {
  const char* pointer;  // JSON pointer of the value changed ("" adds nothing)
  nlohmann::json value; // its new value (null: the key removed)
  const char* message;
};

// Every check of the file, each with the message it gives.
const std::vector<FileError> kFileErrors{
    {"/colour", "red", "s.json: colour: unknown key"},
    {"/units/deflection", "cm", "s.json: units.deflection: is \"cm\", must be one of um, mm, mil"},
    {"/units/length", "ft", "s.json: units.length: is \"ft\", must be one of mm, m, in"},
    {"/units/speed", "fast", "s.json: units.speed: unknown key"},
    {"/layers", nlohmann::json::array(), "s.json: layers: must not be empty"},
    {"/layers/0/nu", 0.6, "s.json: layers[0].nu: is 0.6, must be 0 to 0.5"},
    {"/layers/2", {{"E", -1}, {"nu", 0.6}}, "s.json: layers[2].nu: is 0.6, must be 0 to 0.5"},  // nu before E
    {"/layers/0/E", "stiff", "s.json: layers[0].E: must be a number (fixed) or {\"seed\", \"min\", \"max\"} (searched)"},
    {"/layers/2/E", -80, "s.json: layers[2].E: is -80, must be above 0"},
    {"/layers/0/E/min", nullptr, "s.json: layers[0].E.min: missing"},
    {"/layers/0/E/max", 400, "s.json: layers[0].E.max: is 400, must be above min (500)"},
    {"/layers/0/E/seed", 25000, "s.json: layers[0].E.seed: is 25000, must be within min and max (500 to 20000)"},
    {"/layers/0/E/start", 1, "s.json: layers[0].E.start: unknown key"},
    {"/layers/0/E/max", 3.1e9, "s.json: layers: the moduli may range from 30 (layers[1]) to 3.1e+09 (layers[0]), more than 1e+08 times apart"},
    {"/layers/1/name", "asphalt", "s.json: layers[1].name: is \"asphalt\", the name of layers[0] too"},
    {"/layers/1/name", "", "s.json: layers[1].name: is empty"},
    {"/layers/1/thickness", nullptr, "s.json: layers[1].thickness: missing (only the last layer, the half-space, has none)"},
    {"/layers/2/thickness", 100, "s.json: layers[2].thickness: the last layer is the half-space and has no thickness"},
    {"/layers/1/interface_below", "glued", "s.json: layers[1].interface_below: is \"glued\", must be \"bonded\", \"frictionless\" or {\"spring\": stiffness}"},
    {"/layers/0/thickness", 0.1, "s.json: layer 1 of 3: thickness 0.1 is less than 1e-3 of the largest load radius 150"},
    {"/plate", nullptr, "s.json: plate: missing"},
    {"/plate/radius", 0, "s.json: plate.radius: is 0, must be above 0"},
    {"/sensors", nlohmann::json::array(), "s.json: sensors: must not be empty"},
    {"/sensors/1", -200, "s.json: sensors[1]: is -200, must be 0 or more (from the plate centre)"},
    {"/sensors/2", 200, "s.json: sensors[2]: is 200, must be more than sensors[1] (200)"},
    {"/sensors", {0}, "s.json: sensors: 1 sensors cannot determine 2 searched moduli"},
    {"/tolerance", 0.5, "s.json: tolerance: is 0.5, must be above 1e-14 and at most 0.01"},
    {"/noise", 0, "s.json: noise: is 0, must be above 0"},
    {"/max_rms_percent", -2, "s.json: max_rms_percent: is -2, must be above 0"},
    {"/drops", nullptr, "s.json: drops: missing: give \"drops\", \"drops_csv\" or both"},
    {"/drops", nlohmann::json::array(), "s.json: drops: none given: \"drops\" is empty and the CSV drop file holds none"},
    {"/drops/0/id", nullptr, "s.json: drops[0].id: missing"},
    {"/drops/0/deflections", 412, "s.json: drops[0].deflections: must be an array, not a number"},
    {"/drops/0/time", 3, "s.json: drops[0].time: unknown key"},
    {"/drops_csv", 7, "s.json: drops_csv: must be a string, not a number"},
};

TEST(SurveyFile, EveryErrorOfTheFileNamesTheFileAndThePlace) {
  for (const FileError& error : kFileErrors) {
    SCOPED_TRACE(error.pointer);
    nlohmann::json document = kSurvey;
    const nlohmann::json::json_pointer pointer(error.pointer);
    if (error.value.is_null()) {
      document[pointer.parent_pointer()].erase(pointer.back());
    } else {
      document[pointer] = error.value;
    }
    try {
      read(document);
      ADD_FAILURE() << "accepted";
    } catch (const analyse::ProblemError& e) {
      EXPECT_EQ(std::string(e.what()), error.message);
    }
  }
}

struct DropFault {
  nlohmann::json load;
  nlohmann::json deflections;
  const char* fault;
};

const std::vector<DropFault> kDropFaults{
    {0, {412.1, 318.0, 262.4}, "load is 0, must be above 0"},
    {-40000, {412.1, 318.0, 262.4}, "load is -40000, must be above 0"},
    {"heavy", {412.1, 318.0, 262.4}, "load is not a number (\"heavy\")"},
    {40000, {412.1, 318.0}, "has 2 deflections, the survey has 3 sensors"},
    {40000, {412.1, 318.0, 262.4, 100}, "has 4 deflections, the survey has 3 sensors"},
    {40000, {412.1, 0, 262.4}, "deflection 2 is 0, must be above 0"},
    {40000, {412.1, 318.0, -1}, "deflection 3 is -1, must be above 0"},
    {40000, {nullptr, 318.0, 262.4}, "deflection 1 is not a number (\"null\")"},
    {40000, {412.1, "n/a", 262.4}, "deflection 2 is not a number (\"n/a\")"},
};

TEST(SurveyFile, AFaultyDropIsKeptWithItsFaultAndTheOthersStay) {
  for (const DropFault& fault : kDropFaults) {
    SCOPED_TRACE(fault.fault);
    nlohmann::json document = kSurvey;
    document["drops"].push_back({{"id", "bad"}, {"load", fault.load}, {"deflections", fault.deflections}});
    document["drops"].push_back(document["drops"][0]);
    const Survey survey = read(document);
    ASSERT_EQ(survey.drops.size(), 3u);
    EXPECT_EQ(survey.drops[1].fault, fault.fault);
    EXPECT_EQ(survey.drops[1].where, "drops[1]");
    EXPECT_TRUE(survey.drops[0].fault.empty());
    EXPECT_TRUE(survey.drops[2].fault.empty());
  }
}

TEST(DropsCsv, ReadBesideTheFileOrGivenAsText) {
  const std::string csv =
      "id,load,d1,d2,d3\r\n"
      "\"1+000, east\",40000,412.1,318,262.4\r\n"
      "\n"
      "1+010,39000,400,300\n"
      "1+020,abc,400,300,250\n"
      "1+030,41000,400,300,nan\n"
      "1+040, 40500 , 401 ,301,251";
  testing::ScratchFolder folder;
  testing::write_text(folder / "bowls.csv", csv);
  nlohmann::json document = kSurvey;
  document["drops_csv"] = "bowls.csv";
  const Survey from_file = read_survey_file([&] {
    testing::write_text(folder / "s.json", document.dump());
    return folder / "s.json";
  }());
  const Survey from_text = read(document, {"", csv});
  for (const Survey* survey : {&from_file, &from_text}) {
    ASSERT_EQ(survey->drops.size(), 6u);  // the file's drop first
    EXPECT_EQ(survey->drops[1].id, "1+000, east");
    EXPECT_TRUE(survey->drops[1].fault.empty());
    EXPECT_DOUBLE_EQ(survey->drops[1].deflections[2], 0.2624);
    EXPECT_EQ(survey->drops[2].fault, "has 2 deflections, the survey has 3 sensors");
    EXPECT_EQ(survey->drops[3].fault, "load is not a number (\"abc\")");
    EXPECT_EQ(survey->drops[4].fault, "deflection 3 is not a number (\"nan\")");
    EXPECT_TRUE(survey->drops[5].fault.empty());
    EXPECT_DOUBLE_EQ(survey->drops[5].load, 40500.0);
  }
  EXPECT_EQ(from_file.drops[3].where, (folder / "bowls.csv").string() + " line 5");
  EXPECT_EQ(from_text.drops[3].where, "bowls.csv line 5");
}

TEST(DropsCsv, AFileThatCannotBeReadOrAQuoteLeftOpenStopsTheRun) {
  testing::ScratchFolder folder;
  nlohmann::json document = kSurvey;
  document["drops_csv"] = "missing.csv";
  try {
    read(document, {folder.path(), std::nullopt});
    ADD_FAILURE() << "accepted";
  } catch (const analyse::ProblemError& e) {
    EXPECT_EQ(std::string(e.what()), "s.json: drops_csv: cannot read " + (folder / "missing.csv").string() + ": No such file or directory");
  }
  try {
    read(document, {"", "id,load\n\"0+000,40000,1,2,3\n"});
    ADD_FAILURE() << "accepted";
  } catch (const analyse::ProblemError& e) {
    EXPECT_EQ(std::string(e.what()), "missing.csv: line 2: a quoted field is not closed");
  }
}

}  // namespace
}  // namespace kestral::backcalc
