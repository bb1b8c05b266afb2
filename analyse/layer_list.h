// The `layers` array of a problem file, shared by kestral-backcalc's survey
// file: [{"name", "E", "nu", "thickness", "interface_below"}, ...], the last
// layer the half-space (no thickness, no interface below). The programs
// differ in what `E` holds, in how layers are named, and in the order they
// check and echo the keys; a LayerFormat says which.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analyse/field_reader.h"
#include "analyse/units.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {

// Reads the `E` value at `place`: returns the modulus in engine units and
// sets its echo. Called once per layer, top down.
using ModulusReader = std::function<double(const nlohmann::json& value, const std::string& place, nlohmann::ordered_json& echo)>;

struct LayerFormat {
  ModulusReader modulus;            // empty: a number above 0 in the stress unit
  bool labelled = false;            // names non-empty and distinct; unnamed ones "1", "2", ...
  bool nu_first = false;            // nu checked before E, E echoed after the thickness
  const char* converted = " to mm or N";  // ends "beyond the range of a double once converted"
};

struct LayerList {
  std::vector<multilayer::Layer> layers;
  std::vector<std::string> names;  // one per layer (empty when unnamed, unless labelled)
  nlohmann::ordered_json echo;     // the array as understood
};

// Throws ProblemError naming the place (`layers[1].nu`).
LayerList read_layer_list(const FieldReader& fields, const Units& units, const nlohmann::json& layers, const LayerFormat& format);

}  // namespace kestral::analyse
