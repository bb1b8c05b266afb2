#include "backcalc/survey_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "analyse/json_document.h"
#include "analyse/field_reader.h"
#include "analyse/layer_list.h"
#include "analyse/problem.h"
#include "analyse/problem_file.h"
#include "backcalc/drops_csv.h"
#include "format/shortest_text.h"

namespace kestral::backcalc {
namespace {

using analyse::FieldReader;
using analyse::place_of_element;
using analyse::place_of_key;
using nlohmann::json;
using nlohmann::ordered_json;

struct Reader {
  FieldReader fields;
  Survey& survey;

  double positive(const json& value, const std::string& place) const {
    return fields.checked(value, place, [](double x) { return x > 0.0; }, "above 0");
  }

  // A value times its unit's factor, which must stay a finite double.
  double in_engine_units(double value, double factor, const std::string& place) const {
    const double converted = value * factor;
    if (!std::isfinite(converted)) fields.fail(place, "is " + shortest_text(value) + ", beyond the range of a double once converted");
    return converted;
  }

  void read_units(const json* units) {
    if (units != nullptr) {
      fields.expect_object(*units, "units", {"length", "stress", "force", "deflection"});
      survey.units = analyse::read_unit_names(fields, *units);
      if (const json* deflection = FieldReader::member(*units, "deflection")) {
        const std::string name = fields.text(*deflection, "units.deflection");
        if (name == "um") {
          survey.deflection_unit = DeflectionUnit::um;
        } else if (name == "mm") {
          survey.deflection_unit = DeflectionUnit::mm;
        } else if (name == "mil") {
          survey.deflection_unit = DeflectionUnit::mil;
        } else {
          fields.fail("units.deflection", "is \"" + name + "\", must be one of um, mm, mil");
        }
      }
    }
    survey.echo["units"] = {{"length", analyse::unit_name(survey.units.length)},
                            {"stress", analyse::unit_name(survey.units.stress)},
                            {"force", analyse::unit_name(survey.units.force)},
                            {"deflection", unit_name(survey.deflection_unit)}};
  }

  // E: a number (fixed) or {"seed", "min", "max"} (searched).
  ModulusSearch read_modulus(const json& value, const std::string& place, ordered_json& echo) const {
    const double factor = survey.units.stress_factor();
    ModulusSearch search;
    if (value.is_number()) {
      const double E = positive(value, place);
      search.seed = search.min = search.max = in_engine_units(E, factor, place);
      echo = E;
      return search;
    }
    if (!value.is_object()) fields.fail(place, "must be a number (fixed) or {\"seed\", \"min\", \"max\"} (searched)");
    fields.expect_object(value, place, {"seed", "min", "max"});
    const double min = positive(fields.required(value, place, "min"), place_of_key(place, "min"));
    const double max = positive(fields.required(value, place, "max"), place_of_key(place, "max"));
    if (!(max > min)) fields.fail(place_of_key(place, "max"), "is " + shortest_text(max) + ", must be above min (" + shortest_text(min) + ")");
    double seed = std::sqrt(min) * std::sqrt(max);
    if (const json* given = FieldReader::member(value, "seed")) {
      seed = fields.number(*given, place_of_key(place, "seed"));
      if (!(seed >= min && seed <= max)) {
        fields.fail(place_of_key(place, "seed"), "is " + shortest_text(seed) + ", must be within min and max (" + shortest_text(min) + " to " + shortest_text(max) + ")");
      }
    }
    search.searched = true;
    search.min = in_engine_units(min, factor, place_of_key(place, "min"));
    search.max = in_engine_units(max, factor, place_of_key(place, "max"));
    search.seed = std::clamp(seed * factor, search.min, search.max);
    echo = {{"seed", seed}, {"min", min}, {"max", max}};
    return search;
  }

  void read_layers(const json& layers) {
    analyse::LayerFormat format;
    format.modulus = [this](const json& value, const std::string& place, ordered_json& echo) {
      survey.moduli.push_back(read_modulus(value, place, echo));
      return survey.moduli.back().seed;
    };
    format.labelled = true;
    format.nu_first = true;
    format.converted = "";
    analyse::LayerList list = analyse::read_layer_list(fields, survey.units, layers, format);
    survey.section.layers = std::move(list.layers);
    survey.layer_labels = std::move(list.names);
    survey.echo["layers"] = std::move(list.echo);
    check_modulus_span();
  }

  // Every modulus the search may reach must keep within the engine's ratio
  // of the largest to the smallest modulus.
  void check_modulus_span() const {
    std::size_t low = 0, high = 0;
    for (std::size_t k = 1; k < survey.moduli.size(); ++k) {
      if (survey.moduli[k].min < survey.moduli[low].min) low = k;
      if (survey.moduli[k].max > survey.moduli[high].max) high = k;
    }
    if (multilayer::moduli_within_ratio(survey.moduli[low].min, survey.moduli[high].max)) return;
    const double factor = survey.units.stress_factor();
    fields.fail("layers", "the moduli may range from " + shortest_text(survey.moduli[low].min / factor) + " (" + place_of_element("layers", low) +
                              ") to " + shortest_text(survey.moduli[high].max / factor) + " (" + place_of_element("layers", high) +
                              "), more than " + shortest_text(multilayer::kMaxModulusRatio) + " times apart");
  }

  void read_plate(const json& plate) {
    fields.expect_object(plate, "plate", {"radius"});
    const double radius = positive(fields.required(plate, "plate", "radius"), "plate.radius");
    survey.plate_radius = in_engine_units(radius, survey.units.length_factor(), "plate.radius");
    survey.echo["plate"] = {{"radius", radius}};
  }

  void read_sensors(const json& sensors) {
    fields.expect_array(sensors, "sensors", true);
    for (std::size_t i = 0; i < sensors.size(); ++i) {
      const std::string place = place_of_element("sensors", i);
      const double offset = fields.number(sensors[i], place);
      if (!(offset >= 0.0)) fields.fail(place, "is " + shortest_text(offset) + ", must be 0 or more (from the plate centre)");
      if (i > 0 && !(offset > survey.sensor_offsets.back())) {
        fields.fail(place, "is " + shortest_text(offset) + ", must be more than " + place_of_element("sensors", i - 1) + " (" + shortest_text(survey.sensor_offsets.back()) + ")");
      }
      survey.sensor_offsets.push_back(offset);
      survey.sensors.push_back(in_engine_units(offset, survey.units.length_factor(), place));
    }
    const auto searched = static_cast<std::size_t>(std::count_if(survey.moduli.begin(), survey.moduli.end(), [](const ModulusSearch& m) { return m.searched; }));
    if (survey.sensors.size() < searched) {
      fields.fail("sensors", std::to_string(survey.sensors.size()) + " sensors cannot determine " + std::to_string(searched) + " searched moduli");
    }
    survey.echo["sensors"] = survey.sensor_offsets;
  }

  DropScales scales() const {
    return {survey.units.force_factor(), deflection_factor(survey.deflection_unit), survey.sensors.size()};
  }

  static GivenValue given(const json& value) {
    if (value.is_number() && std::isfinite(value.get<double>())) return {true, value.get<double>(), ""};
    return {false, 0.0, value.is_string() ? value.get<std::string>() : value.dump()};
  }

  void read_drops(const json& drops) {
    fields.expect_array(drops, "drops", false);
    if (drops.size() > kMaxDrops) fields.fail("drops", "more than " + std::to_string(kMaxDrops) + " drops in the survey");
    for (std::size_t i = 0; i < drops.size(); ++i) {
      const std::string place = place_of_element("drops", i);
      const json& object = drops[i];
      fields.expect_object(object, place, {"id", "load", "deflections"});
      const std::string id = fields.text(fields.required(object, place, "id"), place_of_key(place, "id"));
      const json& bowl = fields.required(object, place, "deflections");
      fields.expect_array(bowl, place_of_key(place, "deflections"), false);
      std::vector<GivenValue> values;
      for (const json& value : bowl) values.push_back(given(value));
      survey.drops.push_back(make_drop(id, place, given(fields.required(object, place, "load")), values, scales()));
    }
  }

  void read_drops_file(const json& name_value, const DropsCsvInput& csv) {
    const std::string name = fields.text(name_value, "drops_csv");
    if (name.empty()) fields.fail("drops_csv", "is empty");
    survey.echo["drops_csv"] = name;
    std::string text;
    std::string source = name;
    if (csv.text) {
      text = *csv.text;
    } else {
      const std::filesystem::path path = csv.folder / name;
      source = path.string();
      std::error_code error;
      if (std::filesystem::is_directory(path, error)) fields.fail("drops_csv", "cannot read " + source + ": it is a folder");
      std::ifstream stream(path, std::ios::binary);
      if (!stream) fields.fail("drops_csv", "cannot read " + source + ": " + std::strerror(errno));
      text.assign(std::istreambuf_iterator<char>(stream), {});
      if (stream.bad()) fields.fail("drops_csv", "cannot read " + source + ": " + std::strerror(errno));
    }
    read_drops_csv(text, source, scales(), survey.drops);
  }

  // The engine's own checks (thin layers, reach) of the section at its
  // seeds, without computing: a survey the engine refuses fails here,
  // whole, rather than drop by drop.
  void check_with_engine() const {
    const std::vector<multilayer::Load> plate{{0.0, 0.0, survey.plate_radius, 1.0}};
    std::vector<multilayer::Point> points;
    for (double offset : survey.sensors) points.push_back({offset, 0.0, 0.0, multilayer::Side::both});
    multilayer::Options options;
    options.tolerance = survey.tolerance;
    try {
      multilayer::validate_problem(survey.section, plate, points, options);
    } catch (const multilayer::InvalidProblem& error) {
      throw analyse::ProblemError(survey.source + ": " + error.what());
    }
  }
};

}  // namespace

double deflection_factor(DeflectionUnit unit) {
  switch (unit) {
    case DeflectionUnit::mm: return 1.0;
    case DeflectionUnit::mil: return 0.0254;  // a thousandth of an inch, exactly
    case DeflectionUnit::um: break;
  }
  return 0.001;
}

const char* unit_name(DeflectionUnit unit) {
  switch (unit) {
    case DeflectionUnit::mm: return "mm";
    case DeflectionUnit::mil: return "mil";
    case DeflectionUnit::um: break;
  }
  return "um";
}

Survey read_survey(const nlohmann::json& document, const std::string& source, const DropsCsvInput& csv) {
  Survey survey;
  survey.source = source;
  Reader reader{FieldReader(source), survey};
  const FieldReader& fields = reader.fields;
  fields.expect_object(document, "", {"units", "layers", "plate", "sensors", "drops", "drops_csv", "tolerance", "noise",
                                    "max_rms_percent"});
  reader.read_units(FieldReader::member(document, "units"));
  reader.read_layers(fields.required(document, "", "layers"));
  reader.read_plate(fields.required(document, "", "plate"));
  reader.read_sensors(fields.required(document, "", "sensors"));
  if (const json* tolerance = FieldReader::member(document, "tolerance")) {
    survey.tolerance = fields.number(*tolerance, "tolerance");
    if (!analyse::tolerance_allowed(survey.tolerance)) {
      fields.fail("tolerance", "is " + shortest_text(survey.tolerance) + ", must be " + analyse::kToleranceLimits);
    }
  }
  survey.echo["tolerance"] = survey.tolerance;
  const double deflection = deflection_factor(survey.deflection_unit);
  if (const json* noise = FieldReader::member(document, "noise")) {
    survey.noise = reader.in_engine_units(reader.positive(*noise, "noise"), deflection, "noise");
  }
  survey.echo["noise"] = survey.noise / deflection;
  if (const json* max_rms = FieldReader::member(document, "max_rms_percent")) {
    survey.max_rms_percent = reader.positive(*max_rms, "max_rms_percent");
  }
  survey.echo["max_rms_percent"] = survey.max_rms_percent;
  const json* drops = FieldReader::member(document, "drops");
  const json* drops_csv = FieldReader::member(document, "drops_csv");
  if (drops == nullptr && drops_csv == nullptr) fields.fail("drops", "missing: give \"drops\", \"drops_csv\" or both");
  if (drops != nullptr) reader.read_drops(*drops);
  if (drops_csv != nullptr) reader.read_drops_file(*drops_csv, csv);
  if (survey.drops.empty()) fields.fail("drops", "none given: \"drops\" is empty and the CSV drop file holds none");
  reader.check_with_engine();
  ordered_json drops_echo = ordered_json::array();
  for (const Drop& drop : survey.drops) drops_echo.push_back(drop.echo);
  survey.echo["drops"] = std::move(drops_echo);
  return survey;
}

Survey read_survey_file(const std::filesystem::path& path) {
  const std::string source = path.string();
  return read_survey(analyse::read_json_file(path, source), source, DropsCsvInput{path.parent_path(), std::nullopt});
}

}  // namespace kestral::backcalc
