#include "design/problem_reader.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

#include "analyse/json_document.h"
#include "analyse/field_reader.h"
#include "analyse/problem_file.h"
#include "design/axle_layout.h"
#include "format/shortest_text.h"

namespace kestral::design {
namespace {

using analyse::FieldReader;
using analyse::place_of_element;
using analyse::place_of_key;
using nlohmann::json;
using nlohmann::ordered_json;

// Shares of the traffic must add up to 1 within what decimal fractions
// (1/3 as 0.3333333) leave over.
constexpr double kShareSumTolerance = 1e-6;
// Most thickness steps a search may span: bisection needs few, but the
// count must stay an exact integer.
constexpr double kMaxThicknessSteps = 1e9;

struct Reader {
  FieldReader fields;
  DesignProblem& problem;

  double length() const { return problem.base.units.length_factor(); }
  double stress() const { return problem.base.units.stress_factor(); }

  double positive(const json& object, const std::string& place, const char* key) const {
    return fields.checked(fields.required(object, place, key), place_of_key(place, key), [](double v) { return v > 0.0; },
                   "above 0");
  }

  std::string choice(const json& object, const std::string& place, const char* key,
                     std::initializer_list<const char*> names) const {
    const std::string value = fields.text(fields.required(object, place, key), place_of_key(place, key));
    std::string listed;
    std::size_t k = 0;
    for (const char* name : names) {
      if (value == name) return value;
      listed += std::string(k == 0 ? "" : k + 1 == names.size() ? " or " : ", ") + "\"" + name + "\"";
      ++k;
    }
    fields.fail(place_of_key(place, key), "is \"" + value + "\", must be " + listed);
  }

  std::string name_or(const json& object, const std::string& place, const std::string& fallback) const {
    const json* value = FieldReader::member(object, "name");
    return value == nullptr ? fallback : fields.text(*value, place_of_key(place, "name"));
  }

  // A layer by name, or by its index (0 = top).
  std::size_t layer(const json& value, const std::string& place) const {
    const auto& names = problem.base.layer_names;
    if (value.is_string()) {
      const std::string name = value.get<std::string>();
      for (std::size_t k = 0; k < names.size(); ++k) {
        if (names[k] == name) return k;
      }
      fields.fail(place, "is \"" + name + "\", no layer has that name");
    }
    if (value.is_number_integer() && value.get<long long>() >= 0 &&
        static_cast<std::size_t>(value.get<long long>()) < names.size()) {
      return static_cast<std::size_t>(value.get<long long>());
    }
    fields.fail(place, "must be a layer's name or its index, 0 to " + std::to_string(names.size() - 1));
  }

  void read_axles(const json& axles) {
    fields.expect_array(axles, "axles", true);
    ordered_json echo = ordered_json::array();
    std::set<std::string> names;
    for (std::size_t i = 0; i < axles.size(); ++i) {
      const std::string place = place_of_element("axles", i);
      const json& object = axles[i];
      fields.expect_object(object, place, {"name", "group", "tyres", "load", "pressure", "dual_spacing",
                                           "axle_spacing", "track", "repetitions"});
      Axle axle;
      axle.name = name_or(object, place, place);
      if (!names.insert(axle.name).second) fields.fail(place_of_key(place, "name"), "\"" + axle.name + "\" is given to another axle group too");
      const std::string group = choice(object, place, "group", {"single", "tandem", "tridem"});
      const std::string tyres = choice(object, place, "tyres", {"single", "dual"});
      axle.group = group == "single" ? AxleGroup::single : group == "tandem" ? AxleGroup::tandem : AxleGroup::tridem;
      axle.tyres = tyres == "single" ? TyreSet::single : TyreSet::dual;
      const double load = positive(object, place, "load"), pressure = positive(object, place, "pressure");
      axle.load = load * problem.base.units.force_factor();
      axle.pressure = pressure * stress();
      if (!std::isfinite(axle.load)) fields.fail(place_of_key(place, "load"), "is " + shortest_text(load) + ", beyond the range of a double once converted to N");
      const double repetitions = fields.checked(fields.required(object, place, "repetitions"), place_of_key(place, "repetitions"),
                                         [](double v) { return v >= 0.0; }, "0 or more");
      axle.repetitions = repetitions;
      ordered_json axle_echo = {{"name", axle.name}, {"group", group}, {"tyres", tyres}, {"load", load},
                                {"pressure", pressure}};
      // The tyre's diameter: tyres and tyre sets may touch but not overlap.
      Axle probe = axle;
      probe.track = 0.0;
      const double diameter = 2.0 * tyre_layout(probe).radius;
      const auto spacing = [&](const char* key, double least, const std::string& what) {
        const std::string key_place = place_of_key(place, key);
        const double value = positive(object, place, key);
        if (!(value * length() >= least)) {
          fields.fail(key_place, "is " + shortest_text(value) + ", less than " + what + " (" + shortest_text(least / length()) + "): the tyres would overlap");
        }
        axle_echo[key] = value;
        return value * length();
      };
      const json* dual = FieldReader::member(object, "dual_spacing");
      if (axle.tyres == TyreSet::dual) {
        axle.dual_spacing = spacing("dual_spacing", diameter, "the tyre's diameter");
      } else if (dual != nullptr) {
        fields.fail(place_of_key(place, "dual_spacing"), "given for single tyres");
      }
      const json* axle_spacing = FieldReader::member(object, "axle_spacing");
      if (axle.group != AxleGroup::single) {
        axle.axle_spacing = spacing("axle_spacing", diameter, "the tyre's diameter");
      } else if (axle_spacing != nullptr) {
        fields.fail(place_of_key(place, "axle_spacing"), "given for a single axle");
      }
      if (FieldReader::member(object, "track") != nullptr) {
        axle.track = spacing("track", axle.dual_spacing + diameter, "the width of a tyre set");
      } else {
        if (axle.track < axle.dual_spacing + diameter) fields.fail(place_of_key(place, "track"), "missing, and the default 1800 mm is less than the width of a tyre set");
        axle_echo["track"] = axle.track / length();
      }
      axle_echo["repetitions"] = repetitions;
      problem.axles.push_back(axle);
      echo.push_back(axle_echo);
    }
    problem.base.echo["axles"] = echo;
  }

  PerformanceModel read_model(const json& value, const std::string& place, StrainKind kind) const {
    const auto published = [&](const std::string& name, const ModelParameters& parameters) {
      try {
        return published_model(name, parameters, kind);
      } catch (const std::invalid_argument& error) {
        fields.fail(place, error.what());
      }
    };
    if (value.is_string()) return published(value.get<std::string>(), {});
    if (!value.is_object()) fields.fail(place, "must be a published model's name or an object");
    if (const json* name = FieldReader::member(value, "name")) {
      const std::string model_name = fields.text(*name, place_of_key(place, "name"));
      std::vector<std::string> keys = model_parameter_keys(model_name);
      if (model_name != "power") {
        fields.expect_object(value, place, {"name", "Vb", "Vv", "SF", "RF"});
        ModelParameters parameters;
        for (const auto& [key, member] : value.items()) {
          if (key == "name" || key == "note") continue;
          if (std::find(keys.begin(), keys.end(), key) == keys.end()) fields.fail(place_of_key(place, key), "unknown key for " + model_name);
          const double number = fields.number(member, place_of_key(place, key));
          if (key == "Vb") parameters.binder_volume = number;
          if (key == "Vv") parameters.air_voids = number;
          if (key == "SF") parameters.shift_factor = number;
          if (key == "RF") parameters.reliability_factor = number;
        }
        return published(model_name, parameters);
      }
    }
    fields.expect_object(value, place, {"name", "form", "k1", "k2", "k3", "modulus_unit"});
    if (FieldReader::member(value, "form") != nullptr && FieldReader::member(value, "name") != nullptr) {
      fields.fail(place, "give \"form\" or \"name\", not both");
    }
    if (FieldReader::member(value, "form") != nullptr) choice(value, place, "form", {"power"});
    PerformanceModel model;
    model.k1 = positive(value, place, "k1");
    model.k2 = fields.checked(fields.required(value, place, "k2"), place_of_key(place, "k2"), [](double v) { return v >= 0.0; }, "0 or more");
    const json* k3 = FieldReader::member(value, "k3");
    const json* unit = FieldReader::member(value, "modulus_unit");
    if ((k3 == nullptr) != (unit == nullptr)) fields.fail(place, "give \"k3\" and \"modulus_unit\" together, or neither");
    if (k3 != nullptr) {
      model.k3 = fields.checked(*k3, place_of_key(place, "k3"), [](double v) { return std::isfinite(v); }, "finite");
      const std::string unit_name = fields.text(*unit, place_of_key(place, "modulus_unit"));
      const auto stress_unit = analyse::stress_unit_named(unit_name);
      if (!stress_unit) fields.fail(place_of_key(place, "modulus_unit"), "is \"" + unit_name + "\", must be one of " + std::string(analyse::kStressUnitNames));
      analyse::Units units;
      units.stress = *stress_unit;
      model.modulus_unit = units.stress_factor();
    }
    return model;
  }

  void read_criteria(const json& criteria, const json& raw) {
    fields.expect_array(criteria, "criteria", true);
    ordered_json echo = ordered_json::array();
    std::set<std::string> names;
    const std::size_t half_space = problem.base.section.layers.size() - 1;
    for (std::size_t i = 0; i < criteria.size(); ++i) {
      const std::string place = place_of_element("criteria", i);
      const json& object = criteria[i];
      fields.expect_object(object, place, {"name", "strain", "layer", "at", "model"});
      Criterion criterion;
      criterion.name = name_or(object, place, place);
      if (!names.insert(criterion.name).second) fields.fail(place_of_key(place, "name"), "\"" + criterion.name + "\" is given to another criterion too");
      const std::string strain = choice(object, place, "strain", {"horizontal_tensile", "vertical_compressive"});
      criterion.strain = strain == "horizontal_tensile" ? StrainKind::horizontal_tensile : StrainKind::vertical_compressive;
      criterion.layer = layer(fields.required(object, place, "layer"), place_of_key(place, "layer"));
      std::string at = criterion.strain == StrainKind::horizontal_tensile ? "bottom" : "top";
      if (FieldReader::member(object, "at") != nullptr) at = choice(object, place, "at", {"top", "bottom"});
      criterion.at = at == "top" ? Face::top : Face::bottom;
      if (criterion.at == Face::bottom && criterion.layer == half_space) {
        fields.fail(place_of_key(place, "at"), "the bottom of the last layer: the half-space has no bottom");
      }
      criterion.model = read_model(fields.required(object, place, "model"), place_of_key(place, "model"), criterion.strain);
      ordered_json criterion_echo = {{"name", criterion.name}, {"strain", strain}, {"layer", criterion.layer}, {"at", at}};
      criterion_echo["model"] = ordered_json(raw[i]["model"]);
      problem.criteria.push_back(criterion);
      echo.push_back(criterion_echo);
    }
    problem.base.echo["criteria"] = echo;
  }

  void read_seasons(const json* seasons) {
    const auto& layers = problem.base.section.layers;
    std::vector<double> own;
    for (const auto& layer : layers) own.push_back(layer.modulus);
    ordered_json echo = ordered_json::array();
    if (seasons == nullptr) {
      problem.seasons.push_back(Season{"all year", 1.0, own});
      echo.push_back({{"name", "all year"}, {"share", 1.0}, {"E", ordered_json::object()}});
      problem.base.echo["seasons"] = echo;
      return;
    }
    fields.expect_array(*seasons, "seasons", true);
    double total = 0.0;
    std::set<std::string> names;
    for (std::size_t i = 0; i < seasons->size(); ++i) {
      const std::string place = place_of_element("seasons", i);
      const json& object = (*seasons)[i];
      fields.expect_object(object, place, {"name", "share", "E"});
      Season season{name_or(object, place, place), 0.0, own};
      if (!names.insert(season.name).second) fields.fail(place_of_key(place, "name"), "\"" + season.name + "\" is given to another season too");
      season.share = fields.checked(fields.required(object, place, "share"), place_of_key(place, "share"),
                             [](double v) { return v >= 0.0 && v <= 1.0; }, "0 to 1");
      total += season.share;
      ordered_json moduli = ordered_json::object();
      if (const json* e = FieldReader::member(object, "E")) {
        const std::string e_place = place_of_key(place, "E");
        if (!e->is_object()) fields.fail(e_place, "must be an object of layer names and moduli");
        for (const auto& [name, value] : e->items()) {
          const std::string key_place = place_of_key(e_place, name);
          const std::size_t k = layer(json(name), key_place);
          const double modulus = fields.checked(value, key_place, [](double v) { return v > 0.0; }, "above 0");
          season.moduli[k] = modulus * stress();
          moduli[name] = modulus;
        }
      }
      problem.seasons.push_back(season);
      echo.push_back({{"name", season.name}, {"share", season.share}, {"E", moduli}});
    }
    if (std::abs(total - 1.0) > kShareSumTolerance) fields.fail("seasons", "the shares add up to " + shortest_text(total) + ", must add up to 1");
    problem.base.echo["seasons"] = echo;
  }

  void read_thickness(const json& object) {
    const std::string place = "thickness";
    fields.expect_object(object, place, {"layer", "min", "max", "resolution"});
    ThicknessRange range;
    range.layer = layer(fields.required(object, place, "layer"), place_of_key(place, "layer"));
    if (range.layer + 1 == problem.base.section.layers.size()) fields.fail(place_of_key(place, "layer"), "the last layer is the half-space and has no thickness");
    const double min = positive(object, place, "min"), max = positive(object, place, "max");
    const double resolution = positive(object, place, "resolution");
    if (max < min) fields.fail(place_of_key(place, "max"), "is " + shortest_text(max) + ", less than min (" + shortest_text(min) + ")");
    if (std::ceil(min / resolution) > std::floor(max / resolution)) fields.fail(place_of_key(place, "resolution"), "no multiple of " + shortest_text(resolution) + " lies within min to max");
    if (max / resolution > kMaxThicknessSteps) fields.fail(place_of_key(place, "resolution"), "is " + shortest_text(resolution) + ", more than 1e9 steps to max");
    range.min = min * length();
    range.max = max * length();
    range.resolution = resolution * length();
    problem.thickness = range;
    problem.base.echo["thickness"] = {{"layer", range.layer}, {"min", min}, {"max", max}, {"resolution", resolution}};
  }
};

}  // namespace

multilayer::Section section_in(const multilayer::Section& section, const Season& season) {
  multilayer::Section result = section;
  for (std::size_t k = 0; k < result.layers.size(); ++k) result.layers[k].modulus = season.moduli[k];
  return result;
}

DesignProblem read_design_problem(const nlohmann::json& document, const std::string& source) {
  DesignProblem problem;
  problem.base.source = source;
  Reader reader{FieldReader(source), problem};
  reader.fields.expect_object(document, "", {"units", "layers", "axles", "criteria", "seasons", "thickness"});
  analyse::read_units(FieldReader::member(document, "units"), problem.base);
  analyse::read_layers(reader.fields.required(document, "", "layers"), problem.base);
  reader.read_axles(reader.fields.required(document, "", "axles"));
  reader.read_criteria(reader.fields.required(document, "", "criteria"), document["criteria"]);
  reader.read_seasons(FieldReader::member(document, "seasons"));
  if (const json* thickness = FieldReader::member(document, "thickness")) reader.read_thickness(*thickness);
  return problem;
}

DesignProblem read_design_file(const std::filesystem::path& path) {
  const std::string source = path.string();
  return read_design_problem(analyse::read_json_file(path, source), source);
}

}  // namespace kestral::design
