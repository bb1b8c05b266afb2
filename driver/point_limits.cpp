#include "driver/point_limits.h"

#include <sstream>

#include "driver/layer_search.h"
#include "driver/dual_wheel.h"
#include "format/shortest_text.h"

namespace kestral {
namespace {

[[noreturn]] void refuse(const std::string& file_name, int point, const std::string& what) {
  throw InputError(file_name + ": point " + std::to_string(point) + " (item 7) " + what);
}

}  // namespace

void check_points_computable(const LayerSystem& layers, const EvalPoints& points,
                             const WheelLoad& load, bool dual, const std::string& file_name) {
  const double a = load.a;
  double total = 0.0;
  for (int k = 0; k < layers.n - 1; ++k) total += static_cast<double>(layers.H[k]);
  for (int i = 0; i < points.NP; ++i) {
    const float Z = points.Z[i];
    const float R = points.R[i];
    std::ostringstream what;
    if (static_cast<double>(Z) > kMaxRadiiDeep * a) {
      what << "lies " << shortest_text(Z) << " mm deep, deeper than " << kMaxRadiiDeep
           << " contact radii (" << kMaxRadiiDeep * a
           << " mm), where the integration no longer follows the response";
      refuse(file_name, i + 1, what.str());
    }
    const LayerOfDepth where = layer_of_depth(layers, Z);
    if (where.layer < layers.n && static_cast<double>(Z) > kMaxRadiiInFiniteLayer * a) {
      what << "lies " << shortest_text(Z) << " mm deep inside layer " << where.layer
           << ", deeper than " << kMaxRadiiInFiniteLayer << " contact radii ("
           << kMaxRadiiInFiniteLayer * a
           << " mm), where the layered solution loses its accuracy; only the half-space (below "
           << total << " mm) can be evaluated that deep";
      refuse(file_name, i + 1, what.str());
    }
    const float second = distance_from_second_wheel(R);
    const bool off_first = static_cast<double>(R) > kMaxRadiiOff * a;
    if (off_first || (dual && static_cast<double>(second) > kMaxRadiiOff * a)) {
      what << "lies " << shortest_text(off_first ? R : second) << " mm from the centre of the "
           << (off_first ? "first" : "second") << " wheel, further than " << kMaxRadiiOff
           << " contact radii (" << kMaxRadiiOff * a
           << " mm), where the integration intervals no longer follow the Bessel factors";
      refuse(file_name, i + 1, what.str());
    }
  }
}

}  // namespace kestral
