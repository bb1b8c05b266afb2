// Why the limits (measured between tolerances 1e-8 and 1e-12):
// - moduli more than 1e8 apart: under a plate that much stiffer than the
//   ground the error estimates of near-surface points exceed 1e-6 of q
//   (3e-7 q at 1e8, 4e-6 q at 1e10, 1e-3 q at 1e12);
// - layers thinner than 1e-3 of the largest load radius: a thin top layer
//   leaves, after the half-space of its own material is subtracted, a
//   remainder decaying only like e^{-2 m h1}, beyond the work limit of a
//   point (estimates of 1 MPa at 1e-4 radii, below 1e-8 q at 1e-3), and the
//   constants of any thin layer differ by 1 / (m h)^2 at the small m;
// - coordinates beyond 1e100 would make distances overflow, and beyond 1e12
//   load radii the first Hankel nodes would make the layer constants overflow;
// - the unit scales q, q a / E and q / E must be normal doubles, so that
//   every result is a finite number.
#include "multilayer/validation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "format/shortest_text.h"

namespace kestral::multilayer {

bool moduli_within_ratio(double lowest, double highest) { return !(highest / lowest > kMaxModulusRatio); }

namespace {

using Check = ProblemPlace::Check;
using Item = ProblemPlace::Item;

[[noreturn]] void fail(const std::string& message, const ProblemPlace& place = {}) { throw InvalidProblem(message, place); }

ProblemPlace value_at(Item item, std::size_t index, std::string_view quantity, double value) {
  return ProblemPlace{Check::value, item, index, 0, quantity, value, 0.0};
}

// A limit, a power of ten, as the messages show it: "1e8", "1e-3".
std::string limit(double value) {
  return "1e" + std::to_string(static_cast<int>(std::lround(std::log10(value))));
}

std::string item(const char* what, std::size_t index, std::size_t count) {
  return std::string(what) + " " + std::to_string(index + 1) + " of " + std::to_string(count);
}

bool finite_positive(double v) { return std::isfinite(v) && v > 0.0; }

bool normal_positive(double v) { return std::isnormal(v) && v > 0.0; }

// A finite layer thick enough against the largest load radius.
bool thick_enough(double thickness, double largest_radius) {
  return !(thickness < kMinThicknessOverRadius * largest_radius);
}
// A coordinate (or depth) within the engine's reach from the origin.
bool within_reach(double value, double largest_radius) {
  return !(std::fabs(value) > kMaxRadiiFromOrigin * largest_radius);
}

void check_layers(const Section& section) {
  const auto& layers = section.layers;
  const std::size_t n = layers.size();
  if (n == 0) fail("section: no layers (at least one, the half-space, is needed)");
  for (std::size_t i = 0; i < n; ++i) {
    const Layer& l = layers[i];
    const std::string name = item("layer", i, n);
    if (!finite_positive(l.modulus))
      fail(name + ": modulus must be finite and > 0, got " + shortest_text(l.modulus), value_at(Item::layer, i, "modulus", l.modulus));
    if (!(l.poisson >= 0.0 && l.poisson <= 0.5))
      fail(name + ": Poisson's ratio must lie in [0, 0.5], got " + shortest_text(l.poisson), value_at(Item::layer, i, "poisson", l.poisson));
    if (i + 1 == n) break;
    if (!finite_positive(l.thickness))
      fail(name + ": thickness must be finite and > 0, got " + shortest_text(l.thickness), value_at(Item::layer, i, "thickness", l.thickness));
    const std::string interface = item("interface", i, n - 1) + " (below layer " + std::to_string(i + 1) + ")";
    switch (l.below.kind) {
      case InterfaceKind::bonded:
      case InterfaceKind::frictionless:
        break;
      case InterfaceKind::spring:
        if (!(std::isfinite(l.below.spring_stiffness) && l.below.spring_stiffness >= 0.0))
          fail(interface + ": spring stiffness must be finite and >= 0, got " + shortest_text(l.below.spring_stiffness),
               value_at(Item::interface, i, "spring_stiffness", l.below.spring_stiffness));
        break;
      default:
        fail(interface + ": unknown interface kind " + std::to_string(static_cast<int>(l.below.kind)),
             value_at(Item::interface, i, "kind", 0.0));
    }
  }
  const auto [lo, hi] = std::minmax_element(layers.begin(), layers.end(),
                                            [](const Layer& a, const Layer& b) { return a.modulus < b.modulus; });
  const auto softest = static_cast<std::size_t>(lo - layers.begin()), stiffest = static_cast<std::size_t>(hi - layers.begin());
  if (!moduli_within_ratio(lo->modulus, hi->modulus))
    fail("section: moduli " + shortest_text(lo->modulus) + " (layer " + std::to_string(softest + 1) + ") and " +
             shortest_text(hi->modulus) + " (layer " + std::to_string(stiffest + 1) + ") are more than " + limit(kMaxModulusRatio) + " apart",
         ProblemPlace{Check::modulus_ratio, Item::layer, softest, stiffest, "modulus", lo->modulus, 0.0});
}

void check_loads(const std::vector<Load>& loads) {
  const std::size_t n = loads.size();
  if (n == 0) fail("loads: none given (at least one is needed)");
  for (std::size_t i = 0; i < n; ++i) {
    const Load& l = loads[i];
    const std::string name = item("load", i, n);
    if (!(std::isfinite(l.x) && std::fabs(l.x) <= kMaxCoordinate))
      fail(name + ": centre x must be finite and at most " + limit(kMaxCoordinate) + " in size, got " + shortest_text(l.x),
           value_at(Item::load, i, "x", l.x));
    if (!(std::isfinite(l.y) && std::fabs(l.y) <= kMaxCoordinate))
      fail(name + ": centre y must be finite and at most " + limit(kMaxCoordinate) + " in size, got " + shortest_text(l.y),
           value_at(Item::load, i, "y", l.y));
    if (!finite_positive(l.radius))
      fail(name + ": radius must be finite and > 0, got " + shortest_text(l.radius), value_at(Item::load, i, "radius", l.radius));
    if (!finite_positive(l.pressure))
      fail(name + ": pressure must be finite and > 0, got " + shortest_text(l.pressure), value_at(Item::load, i, "pressure", l.pressure));
  }
}

void check_scales(const Section& section, const std::vector<Load>& loads) {
  double a_max = 0, q_max = 0;
  for (const Load& l : loads) {
    a_max = std::max(a_max, l.radius);
    q_max = std::max(q_max, l.pressure);
  }
  double e_min = std::numeric_limits<double>::infinity();
  for (const Layer& l : section.layers) e_min = std::min(e_min, l.modulus);
  const double displacement = q_max * a_max / e_min;
  const double strain = q_max / e_min;
  if (!normal_positive(displacement) || !normal_positive(strain) || !normal_positive(a_max) || !normal_positive(q_max))
    fail("problem: the result scales (pressure " + shortest_text(q_max) + ", radius " + shortest_text(a_max) +
         ", modulus " + shortest_text(e_min) + ") are beyond the range of double precision",
         ProblemPlace{Check::scales, Item::problem, 0, 0, {}, 0.0, a_max});
  const std::size_t n = section.layers.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double h = section.layers[i].thickness;
    if (!thick_enough(h, a_max))
      fail(item("layer", i, n) + ": thickness " + shortest_text(h) + " is less than " + limit(kMinThicknessOverRadius) +
               " of the largest load radius " + shortest_text(a_max),
           ProblemPlace{Check::thin_layer, Item::layer, i, 0, "thickness", h, a_max});
  }
}

void check_points(const std::vector<Point>& points, double a_max) {
  // Beyond 1e12 radii the Hankel parameters of the first panels are so small
  // that the layer constants, which grow like 1 / (m h)^2, would overflow.
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point& p = points[i];
    // Built only on a fault: a problem may have a million points.
    const auto name = [&] { return item("point", i, n); };
    if (!(std::isfinite(p.x) && std::fabs(p.x) <= kMaxCoordinate))
      fail(name() + ": x must be finite and at most " + limit(kMaxCoordinate) + " in size, got " + shortest_text(p.x),
           value_at(Item::point, i, "x", p.x));
    if (!(std::isfinite(p.y) && std::fabs(p.y) <= kMaxCoordinate))
      fail(name() + ": y must be finite and at most " + limit(kMaxCoordinate) + " in size, got " + shortest_text(p.y),
           value_at(Item::point, i, "y", p.y));
    if (!(std::isfinite(p.z) && p.z >= 0.0 && p.z <= kMaxCoordinate))
      fail(name() + ": depth z must be finite, >= 0 and at most " + limit(kMaxCoordinate) + ", got " + shortest_text(p.z),
           value_at(Item::point, i, "z", p.z));
    for (const auto& [axis, quantity, value] :
         {std::tuple<const char*, const char*, double>{"x", "x", p.x}, {"y", "y", p.y}, {"depth z", "z", p.z}}) {
      if (!within_reach(value, a_max))
        fail(name() + ": " + axis + " " + shortest_text(value) + " is more than " + limit(kMaxRadiiFromOrigin) + " load radii (" +
                 shortest_text(a_max) + ") from the origin",
             ProblemPlace{Check::reach, Item::point, i, 0, quantity, value, a_max});
    }
    switch (p.side) {
      case Side::both:
      case Side::above:
      case Side::below:
        break;
      default:
        fail(name() + ": unknown side " + std::to_string(static_cast<int>(p.side)), value_at(Item::point, i, "side", 0.0));
    }
  }
}

void check_options(const Options& options) {
  if (!(options.tolerance > kMinTolerance && options.tolerance <= kMaxTolerance))
    fail("options: tolerance must lie in (" + limit(kMinTolerance) + ", " + limit(kMaxTolerance) + "], got " + shortest_text(options.tolerance),
         ProblemPlace{Check::options, Item::problem, 0, 0, "tolerance", options.tolerance, 0.0});
  if (options.threads < 0)
    fail("options: threads must be >= 0, got " + std::to_string(options.threads), ProblemPlace{Check::options, Item::problem, 0, 0, "threads", 0.0, 0.0});
  const Quantities& q = options.quantities;
  if (!q.stress && !q.displacement && !q.strain)
    fail("options: quantities: none of stress, displacement and strain is asked for",
         ProblemPlace{Check::options, Item::problem, 0, 0, "quantities", 0.0, 0.0});
}

double largest_radius(const std::vector<Load>& loads) {
  double a_max = 0;
  for (const Load& l : loads) a_max = std::max(a_max, l.radius);
  return a_max;
}

void check_load_centres(const std::vector<Load>& loads, double a_max) {
  for (std::size_t i = 0; i < loads.size(); ++i) {
    for (const auto& [axis, value] : {std::pair<const char*, double>{"x", loads[i].x}, {"y", loads[i].y}}) {
      if (!within_reach(value, a_max))
        fail(item("load", i, loads.size()) + ": centre " + axis + " " + shortest_text(value) + " is more than " +
                 limit(kMaxRadiiFromOrigin) + " load radii (" + shortest_text(a_max) + ") from the origin",
             ProblemPlace{Check::reach, Item::load, i, 0, axis, value, a_max});
    }
  }
}

// The section's depth within reach; the place is the first layer whose bottom
// lies beyond.
void check_depth(const Section& section, double a_max) {
  const std::size_t n = section.layers.size();
  double depth = 0;
  for (std::size_t i = 0; i + 1 < n; ++i) depth += section.layers[i].thickness;
  if (within_reach(depth, a_max)) return;
  double bottom = 0;
  std::size_t first = 0;
  for (; first + 1 < n; ++first) {
    bottom += section.layers[first].thickness;
    if (!within_reach(bottom, a_max)) break;
  }
  fail("section: total thickness " + shortest_text(depth) + " is more than " + limit(kMaxRadiiFromOrigin) + " load radii (" +
           shortest_text(a_max) + ")",
       ProblemPlace{Check::reach, Item::layer, first, 0, "thickness", bottom, a_max});
}

}  // namespace

void validate_problem(const Section& section, const std::vector<Load>& loads, const std::vector<Point>& points,
                      const Options& options) {
  check_options(options);
  check_layers(section);
  check_loads(loads);
  check_scales(section, loads);
  const double a_max = largest_radius(loads);
  check_load_centres(loads, a_max);
  check_depth(section, a_max);
  check_points(points, a_max);
}

void validate_geometry(const std::vector<Load>& loads, const std::vector<Point>& points, const Options& options) {
  check_options(options);
  check_loads(loads);
  const double a_max = largest_radius(loads);
  check_load_centres(loads, a_max);
  check_points(points, a_max);
}

}  // namespace kestral::multilayer
