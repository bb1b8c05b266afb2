#include "analyse/layer_list.h"

#include <cmath>

#include "analyse/problem_file.h"
#include "format/shortest_text.h"

namespace kestral::analyse {

using nlohmann::json;
using nlohmann::ordered_json;

LayerList read_layer_list(const FieldReader& fields, const Units& units, const json& layers, const LayerFormat& format) {
  fields.expect_array(layers, "layers", true);
  const auto positive = [](double x) { return x > 0.0; };
  const ModulusReader modulus = format.modulus ? format.modulus : ModulusReader([&](const json& value, const std::string& place, ordered_json& echo) {
    const double E = fields.checked(value, place, positive, "above 0");
    echo = E;
    return E * units.stress_factor();
  });
  LayerList list;
  list.echo = ordered_json::array();
  for (std::size_t k = 0; k < layers.size(); ++k) {
    const std::string place = place_of_element("layers", k);
    const json& object = layers[k];
    const bool last = k + 1 == layers.size();
    fields.expect_object(object, place, {"name", "E", "nu", "thickness", "interface_below"});
    multilayer::Layer layer;
    ordered_json echo;
    std::string name = format.labelled ? std::to_string(k + 1) : "";
    if (const json* value = FieldReader::member(object, "name")) {
      name = fields.text(*value, place_of_key(place, "name"));
      if (format.labelled) {
        if (name.empty()) fields.fail(place_of_key(place, "name"), "is empty");
        for (std::size_t j = 0; j < k; ++j) {
          if (list.names[j] == name) fields.fail(place_of_key(place, "name"), "is \"" + name + "\", the name of " + place_of_element("layers", j) + " too");
        }
      }
      echo["name"] = name;
    }
    ordered_json modulus_echo;
    const auto read_modulus = [&] { layer.modulus = modulus(fields.required(object, place, "E"), place_of_key(place, "E"), modulus_echo); };
    if (!format.nu_first) read_modulus();
    const double nu = fields.checked(fields.required(object, place, "nu"), place_of_key(place, "nu"),
                             [](double v) { return v >= 0.0 && v <= 0.5; }, "0 to 0.5");
    layer.poisson = nu;
    if (format.nu_first) {
      read_modulus();
    } else {
      echo["E"] = modulus_echo;
    }
    echo["nu"] = nu;
    const json* thickness = FieldReader::member(object, "thickness");
    const json* interface = FieldReader::member(object, "interface_below");
    if (last) {
      if (thickness != nullptr) fields.fail(place_of_key(place, "thickness"), "the last layer is the half-space and has no thickness");
      if (interface != nullptr) fields.fail(place_of_key(place, "interface_below"), "the last layer is the half-space and has no interface below");
    } else {
      const std::string thickness_place = place_of_key(place, "thickness");
      if (thickness == nullptr) fields.fail(thickness_place, "missing (only the last layer, the half-space, has none)");
      const double h = fields.checked(*thickness, thickness_place, positive, "above 0");
      layer.thickness = h * units.length_factor();
      if (!std::isfinite(layer.thickness)) {
        fields.fail(thickness_place, "is " + shortest_text(h) + ", beyond the range of a double once converted" + format.converted);
      }
      echo["thickness"] = h;
    }
    if (format.nu_first) echo["E"] = modulus_echo;
    if (!last) {
      ordered_json interface_echo = "bonded";
      if (interface != nullptr) read_interface(fields, units, *interface, place_of_key(place, "interface_below"), layer.below, interface_echo);
      echo["interface_below"] = interface_echo;
    }
    list.layers.push_back(layer);
    list.names.push_back(name);
    list.echo.push_back(echo);
  }
  return list;
}

}  // namespace kestral::analyse
