#include "analyse/legacy_problem.h"

#include <cmath>
#include <string>

#include "driver/dual_wheel.h"
#include "driver/layer_search.h"
#include "driver/legacy_problem_reader.h"
#include "format/shortest_text.h"

namespace kestral::analyse {
namespace {

using multilayer::Side;
using nlohmann::ordered_json;

// The side that keeps a point, legacy-placed inside layer `layer` (1-based),
// in that layer should the engine find it on the nearest interface.
Side side_in_layer(const std::vector<double>& interface_depths, int layer, double z) {
  // Interface k (1-based) is the bottom of layer k.
  const int above = layer - 1;  // the interface at the layer's top, 0: the surface
  const int below = layer;      // the one at its bottom
  double top_distance = INFINITY;
  double bottom_distance = INFINITY;
  if (above >= 1) top_distance = std::abs(z - interface_depths[static_cast<std::size_t>(above - 1)]);
  if (below <= static_cast<int>(interface_depths.size())) {
    bottom_distance = std::abs(z - interface_depths[static_cast<std::size_t>(below - 1)]);
  }
  return bottom_distance <= top_distance ? Side::above : Side::below;
}

}  // namespace

Problem read_legacy_problem(const std::filesystem::path& problem_path) {
  const std::string problem_name = problem_path.string();
  const std::filesystem::path gauss_path = problem_path.parent_path() / "gauss.qua";
  const std::string gauss_name = gauss_path.string();

  LegacyProblem legacy;
  try {
    legacy = read_legacy_problem_files({problem_path, gauss_path, problem_name, gauss_name});
  } catch (const InputError& error) {
    throw ProblemError(error.what());
  }
  const LayerSystem& layers = legacy.layers;
  const WheelLoad& load = legacy.load;
  const EvalPoints& points = legacy.points;

  Problem problem;
  problem.source = problem_name;
  problem.echo["units"] = {{"length", "mm"}, {"stress", "MPa"}, {"force", "N"}};
  ordered_json layers_echo = ordered_json::array();
  std::vector<double> interface_depths;
  double depth = 0.0;
  for (int k = 0; k < layers.n; ++k) {
    multilayer::Layer layer;
    layer.modulus = typed_double(layers.E[k]);
    layer.poisson = typed_double(layers.Mu[k]);
    ordered_json echo = {{"E", layer.modulus}, {"nu", layer.poisson}};
    if (k + 1 < layers.n) {
      layer.thickness = typed_double(layers.H[k]);
      depth += layer.thickness;
      interface_depths.push_back(depth);
      echo["thickness"] = layer.thickness;
      echo["interface_below"] = "bonded";
    }
    problem.section.layers.push_back(layer);
    problem.layer_names.emplace_back();
    layers_echo.push_back(echo);
  }
  problem.echo["layers"] = layers_echo;

  const bool single = load.wheel_flag == 1.0f;
  const bool dual = load.wheel_flag == 2.0f;
  ordered_json loads_echo = ordered_json::array();
  ordered_json points_echo = ordered_json::array();
  if (single || dual) {
    const int wheels = dual ? 2 : 1;
    for (int wheel = 0; wheel < wheels; ++wheel) {
      LoadInput wheel_load;
      wheel_load.x = wheel == 0 ? 0.0 : static_cast<double>(kDualWheelSpacing);
      wheel_load.force = typed_double(load.P);
      wheel_load.pressure = typed_double(load.q);
      problem.loads.push_back(wheel_load);
      loads_echo.push_back({{"x", wheel_load.x}, {"y", 0.0}, {"load", wheel_load.force}, {"pressure", wheel_load.pressure}});
    }
    for (int i = 0; i < points.NP; ++i) {
      const double x = typed_double(points.R[i]);
      const double z_typed = typed_double(points.Z[i]);
      const LayerOfDepth where = layer_of_depth(layers, points.Z[i]);
      multilayer::Point point{x, 0.0, z_typed, Side::both};
      if (where.on_interface) {
        point.z = interface_depths[static_cast<std::size_t>(where.layer - 1)];
      } else {
        point.side = side_in_layer(interface_depths, where.layer, z_typed);
      }
      problem.points.push_back(point);
      problem.coordinates.push_back({x, 0.0, z_typed});
      const char* side = point.side == Side::both ? "both" : (point.side == Side::above ? "above" : "below");
      points_echo.push_back({{"x", x}, {"y", 0.0}, {"z", point.z}, {"side", side}});
    }
  } else {
    problem.notes.push_back(problem_name + ": wheel flag " + shortest_text(load.wheel_flag) +
                            " is neither 1 (single wheel) nor 2 (dual wheel): no wheel arrangement "
                            "was selected and nothing was computed");
  }
  problem.echo["loads"] = loads_echo;
  problem.echo["points"] = points_echo;
  problem.echo["tolerance"] = problem.tolerance;
  return problem;
}

}  // namespace kestral::analyse
