#include "analyse/problem_file.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "analyse/field_reader.h"
#include "analyse/json_document.h"
#include "analyse/layer_list.h"
#include "format/shortest_text.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using multilayer::InterfaceKind;
using multilayer::Side;

// A limit of the engine as the messages show it: "1e8", "1e-3".
std::string limit_text(double limit) {
  const int exponent = static_cast<int>(std::lround(std::log10(limit)));
  return std::pow(10.0, exponent) == limit ? "1e" + std::to_string(exponent) : shortest_text(limit);
}

struct Reader {
  FieldReader fields;
  Problem& problem;

  // A value times its unit's factor (mm per m, N per kN), which must stay a
  // finite double.
  double in_engine_units(double value, double factor, const std::string& place) const {
    const double converted = value * factor;
    if (!std::isfinite(converted)) fields.fail(place, "is " + shortest_text(value) + ", beyond the range of a double once converted to mm or N");
    return converted;
  }

  // The engine takes coordinates up to 1e100 mm in size; the limit in the
  // problem's length unit.
  double coordinate_limit() const { return multilayer::kMaxCoordinate / problem.units.length_factor(); }

  double coordinate(const json& value, const std::string& place) const {
    const double number = fields.number(value, place);
    if (!(std::abs(number) <= coordinate_limit())) {
      fields.fail(place, "is " + shortest_text(number) + ", must be at most " + shortest_text(coordinate_limit()) + " in size");
    }
    return number;
  }

  double optional_coordinate(const json& object, const std::string& place, std::string_view key) const {
    const json* value = FieldReader::member(object, key);
    return value == nullptr ? 0.0 : coordinate(*value, place_of_key(place, key));
  }

  Side side(const json& object, const std::string& place) const {
    const json* value = FieldReader::member(object, "side");
    if (value == nullptr) return Side::both;
    const std::string name = fields.text(*value, place_of_key(place, "side"));
    if (name == "both") return Side::both;
    if (name == "above") return Side::above;
    if (name == "below") return Side::below;
    fields.fail(place_of_key(place, "side"), "is \"" + name + "\", must be \"above\", \"below\" or \"both\"");
  }

  void read_units(const json* units) {
    if (units != nullptr) {
      fields.expect_object(*units, "units", {"length", "stress", "force"});
      problem.units = read_unit_names(fields, *units);
    }
    problem.echo["units"] = {{"length", unit_name(problem.units.length)},
                             {"stress", unit_name(problem.units.stress)},
                             {"force", unit_name(problem.units.force)}};
  }

  void read_layers(const json& layers) {
    LayerList list = read_layer_list(fields, problem.units, layers, LayerFormat{});
    problem.section.layers = std::move(list.layers);
    problem.layer_names = std::move(list.names);
    problem.echo["layers"] = std::move(list.echo);
  }

  void read_loads(const json& loads) {
    fields.expect_array(loads, "loads", true);
    ordered_json echo = ordered_json::array();
    for (std::size_t i = 0; i < loads.size(); ++i) {
      const std::string place = place_of_element("loads", i);
      const json& object = loads[i];
      fields.expect_object(object, place, {"x", "y", "load", "radius", "pressure"});
      LoadInput load;
      const double x = optional_coordinate(object, place, "x");
      const double y = optional_coordinate(object, place, "y");
      load.x = x * problem.units.length_factor();
      load.y = y * problem.units.length_factor();
      ordered_json load_echo = {{"x", x}, {"y", y}};
      const json* force = FieldReader::member(object, "load");
      const json* radius = FieldReader::member(object, "radius");
      if (force != nullptr && radius != nullptr) fields.fail(place, "give \"load\" or \"radius\", not both");
      if (force == nullptr && radius == nullptr) fields.fail(place, "give \"load\" or \"radius\" with the \"pressure\"");
      const auto positive = [](double value) { return value > 0.0; };
      if (force != nullptr) {
        const double value = fields.checked(*force, place_of_key(place, "load"), positive, "above 0");
        load.by_force = true;
        load.force = in_engine_units(value, problem.units.force_factor(), place_of_key(place, "load"));
        load_echo["load"] = value;
      } else {
        const double value = fields.checked(*radius, place_of_key(place, "radius"), positive, "above 0");
        load.by_force = false;
        load.radius = in_engine_units(value, problem.units.length_factor(), place_of_key(place, "radius"));
        load_echo["radius"] = value;
      }
      const double pressure = fields.checked(fields.required(object, place, "pressure"), place_of_key(place, "pressure"), positive, "above 0");
      load.pressure = pressure * problem.units.stress_factor();
      load_echo["pressure"] = pressure;
      // A pressure that underflows (4e-320 MPa), or a contact radius
      // sqrt(load / (pi pressure)) that overflows, is the pressure's fault:
      // say so here, before the radius blames a layer or a point.
      if (!std::isnormal(load.pressure)) {
        fields.fail(place_of_key(place, "pressure"), "is " + shortest_text(pressure) + ", below the range of double precision");
      }
      if (load.by_force && !std::isfinite(multilayer::Load::from_force(0, 0, load.force, load.pressure).radius)) {
        fields.fail(place_of_key(place, "pressure"), "is " + shortest_text(pressure) + ": the contact radius of the load " +
                                                         "at this pressure is beyond the range of double precision");
      }
      problem.loads.push_back(load);
      echo.push_back(load_echo);
    }
    problem.echo["loads"] = echo;
  }

  void add_point(double x, double y, double z, Side point_side) {
    const double length = problem.units.length_factor();
    problem.points.push_back(multilayer::Point{x * length, y * length, z * length, point_side});
    problem.coordinates.push_back({x, y, z});
  }

  double depth(const json& value, const std::string& place) const {
    const double z = fields.number(value, place);
    if (!(z >= 0.0 && z <= coordinate_limit())) {
      fields.fail(place, "is " + shortest_text(z) + ", must be 0 to " + shortest_text(coordinate_limit()) + " (down from the surface)");
    }
    return z;
  }

  void read_points(const json& points) {
    fields.expect_array(points, "points", false);
    if (points.size() > kMaxProblemPoints) too_many_points(static_cast<double>(points.size()));
    ordered_json echo = ordered_json::array();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const std::string place = place_of_element("points", i);
      const json& object = points[i];
      fields.expect_object(object, place, {"x", "y", "z", "side"});
      const double x = optional_coordinate(object, place, "x");
      const double y = optional_coordinate(object, place, "y");
      const double z = depth(fields.required(object, place, "z"), place_of_key(place, "z"));
      const Side point_side = side(object, place);
      add_point(x, y, z, point_side);
      echo.push_back({{"x", x}, {"y", y}, {"z", z}, {"side", side_name(point_side)}});
    }
    problem.echo["points"] = echo;
  }

  std::vector<double> grid_axis(const json& grid, const char* axis, bool is_depth) const {
    const std::string place = place_of_key("grid", axis);
    const json& values = fields.required(grid, "grid", axis);
    fields.expect_array(values, place, true);
    std::vector<double> result;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const std::string element = place_of_element(place, i);
      result.push_back(is_depth ? depth(values[i], element) : coordinate(values[i], element));
    }
    return result;
  }

  void read_grid(const json& grid) {
    fields.expect_object(grid, "grid", {"x", "y", "z", "side"});
    const std::vector<double> xs = grid_axis(grid, "x", false);
    const std::vector<double> ys = grid_axis(grid, "y", false);
    const std::vector<double> zs = grid_axis(grid, "z", true);
    const Side grid_side = side(grid, "grid");
    // Each factor is below the JSON text's length, so the product cannot
    // overflow before it is compared.
    const std::size_t count = xs.size() * ys.size();
    if (count > kMaxProblemPoints || count * zs.size() + problem.points.size() > kMaxProblemPoints) {
      too_many_points(static_cast<double>(xs.size()) * static_cast<double>(ys.size()) * static_cast<double>(zs.size()) + static_cast<double>(problem.points.size()));
    }
    for (double x : xs) {
      for (double y : ys) {
        for (double z : zs) add_point(x, y, z, grid_side);
      }
    }
    problem.echo["grid"] = {{"x", xs}, {"y", ys}, {"z", zs}, {"side", side_name(grid_side)}};
  }

  // The engine's check of its limits (modulus ratio, thin layers, reach),
  // its place named in this file: `layers[1].E`, `grid.z[3]`.
  void check_engine_limits() const {
    multilayer::Options options;
    options.tolerance = problem.tolerance;
    try {
      multilayer::validate_problem(problem.section, engine_loads(problem), problem.points, options);
    } catch (const multilayer::InvalidProblem& error) {
      refuse(error);
    }
  }

  [[noreturn]] void refuse(const multilayer::InvalidProblem& error) const {
    using Check = multilayer::ProblemPlace::Check;
    using Item = multilayer::ProblemPlace::Item;
    const multilayer::ProblemPlace& at = error.place();
    const double length = problem.units.length_factor();
    const std::string radius = shortest_text(at.largest_radius / length);
    const auto layer_value = [this](std::size_t k, const char* key) {
      return shortest_text(problem.echo["layers"][k][key].get<double>());
    };
    const auto layer_place = [](std::size_t k, const char* key) { return place_of_key(place_of_element("layers", k), key); };
    if (at.check == Check::modulus_ratio) {
      // Name the later of the two extremes, against the earlier.
      const std::size_t later = std::max(at.index, at.other), earlier = std::min(at.index, at.other);
      fields.fail(layer_place(later, "E"), "is " + layer_value(later, "E") + ", more than " + limit_text(multilayer::kMaxModulusRatio) +
                                               " times " + (later == at.other ? "that" : "less than that") + " of layers[" +
                                               std::to_string(earlier) + "] (" + layer_value(earlier, "E") + ")");
    }
    if (at.check == Check::thin_layer) {
      fields.fail(layer_place(at.index, "thickness"), "is " + layer_value(at.index, "thickness") + ", less than " +
                                                          limit_text(multilayer::kMinThicknessOverRadius) +
                                                          " of the largest load radius (" + radius + ")");
    }
    if (at.check == Check::reach && at.item == Item::layer) {
      fields.fail(layer_place(at.index, "thickness"), "puts the bottom of the layer " + shortest_text(at.value / length) +
                                                          " deep, more than " + limit_text(multilayer::kMaxRadiiFromOrigin) +
                                                          " load radii (" + radius + ")");
    }
    if (at.check == Check::reach && (at.item == Item::load || at.item == Item::point)) {
      const auto [place, value] = at.item == Item::load ? load_value(at.index, at.quantity) : point_value(at.index, at.quantity);
      fields.fail(place, "is " + shortest_text(value) + ", more than " + limit_text(multilayer::kMaxRadiiFromOrigin) +
                             " load radii (" + radius + ") from the origin");
    }
    throw ProblemError(problem.source + ": " + error.what());
  }

  // The place and the value as given of a load's x or y.
  std::pair<std::string, double> load_value(std::size_t j, std::string_view axis) const {
    const std::string key(axis);
    return {place_of_key(place_of_element("loads", j), key), problem.echo["loads"][j][key].get<double>()};
  }

  // The place and the value as given of a point's x, y or z: in `points`,
  // or on the axis of the grid it was built from (x, then y, then z).
  std::pair<std::string, double> point_value(std::size_t i, std::string_view axis) const {
    const std::size_t a = axis == "x" ? 0 : axis == "y" ? 1 : 2;
    const double value = problem.coordinates[i][a];
    const std::string key(axis);
    const std::size_t listed = problem.echo.contains("points") ? problem.echo["points"].size() : 0;
    if (i < listed) return {place_of_key(place_of_element("points", i), key), value};
    const ordered_json& grid = problem.echo["grid"];
    const std::size_t g = i - listed, ny = grid["y"].size(), nz = grid["z"].size();
    const std::size_t on_axis[3] = {g / (ny * nz), g / nz % ny, g % nz};
    return {place_of_element(place_of_key("grid", key), on_axis[a]), value};
  }

  [[noreturn]] void too_many_points(double count) const {
    fields.fail("points", "the problem has " + shortest_text(count) + " points (points and grid), more than the limit of " +
                              std::to_string(kMaxProblemPoints));
  }

  static const char* side_name(Side value) {
    switch (value) {
      case Side::above: return "above";
      case Side::below: return "below";
      case Side::both: break;
    }
    return "both";
  }
};

}  // namespace

Units read_unit_names(const FieldReader& fields, const nlohmann::json& units) {
  Units result;
  if (const json* length = FieldReader::member(units, "length")) {
    const auto unit = length_unit_named(fields.text(*length, "units.length"));
    if (!unit) fields.fail("units.length", "is \"" + length->get<std::string>() + "\", must be one of " + std::string(kLengthUnitNames));
    result.length = *unit;
  }
  if (const json* stress = FieldReader::member(units, "stress")) {
    const auto unit = stress_unit_named(fields.text(*stress, "units.stress"));
    if (!unit) fields.fail("units.stress", "is \"" + stress->get<std::string>() + "\", must be one of " + std::string(kStressUnitNames));
    result.stress = *unit;
  }
  if (const json* force = FieldReader::member(units, "force")) {
    const auto unit = force_unit_named(fields.text(*force, "units.force"));
    if (!unit) fields.fail("units.force", "is \"" + force->get<std::string>() + "\", must be one of " + std::string(kForceUnitNames));
    result.force = *unit;
  }
  return result;
}

void read_interface(const FieldReader& fields, const Units& units, const nlohmann::json& value,
                    const std::string& place, multilayer::Interface& interface, nlohmann::ordered_json& echo) {
  if (value.is_string()) {
    const std::string kind = value.get<std::string>();
    if (kind == "bonded") {
      interface.kind = InterfaceKind::bonded;
    } else if (kind == "frictionless") {
      interface.kind = InterfaceKind::frictionless;
    } else {
      fields.fail(place, "is \"" + kind + "\", must be \"bonded\", \"frictionless\" or {\"spring\": stiffness}");
    }
    echo = kind;
    return;
  }
  if (!value.is_object()) fields.fail(place, "must be \"bonded\", \"frictionless\" or {\"spring\": stiffness}");
  fields.expect_object(value, place, {"spring"});
  const std::string spring_place = place_of_key(place, "spring");
  const double stiffness = fields.number(fields.required(value, place, "spring"), spring_place);
  if (!(stiffness >= 0.0)) fields.fail(spring_place, "is " + shortest_text(stiffness) + ", must be 0 or more");
  interface.kind = InterfaceKind::spring;
  interface.spring_stiffness = stiffness * units.stress_factor() / units.length_factor();
  echo = {{"spring", stiffness}};
}

Problem read_problem(const nlohmann::json& document, const std::string& source) {
  Problem problem;
  problem.source = source;
  Reader reader{FieldReader(source), problem};
  const FieldReader& fields = reader.fields;
  fields.expect_object(document, "", {"units", "layers", "loads", "points", "grid", "tolerance"});
  reader.read_units(FieldReader::member(document, "units"));
  reader.read_layers(fields.required(document, "", "layers"));
  reader.read_loads(fields.required(document, "", "loads"));
  const json* points = FieldReader::member(document, "points");
  const json* grid = FieldReader::member(document, "grid");
  if (points == nullptr && grid == nullptr) fields.fail("points", "missing: give \"points\", \"grid\" or both");
  if (points != nullptr) reader.read_points(*points);
  if (grid != nullptr) reader.read_grid(*grid);
  if (problem.points.empty()) fields.fail("points", "none given: \"points\" is empty and there is no \"grid\"");
  if (const json* tolerance = FieldReader::member(document, "tolerance")) {
    problem.tolerance = reader.fields.checked(*tolerance, "tolerance", tolerance_allowed, kToleranceLimits);
  }
  problem.echo["tolerance"] = problem.tolerance;
  reader.check_engine_limits();
  return problem;
}

void read_units(const nlohmann::json* units, Problem& problem) {
  Reader{FieldReader(problem.source), problem}.read_units(units);
}

void read_layers(const nlohmann::json& layers, Problem& problem) {
  Reader{FieldReader(problem.source), problem}.read_layers(layers);
}

Problem read_problem_file(const std::filesystem::path& path) {
  const std::string source = path.string();
  return read_problem(read_json_file(path, source), source);
}

}  // namespace kestral::analyse
