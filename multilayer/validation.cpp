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
#include <charconv>
#include <cmath>
#include <limits>

namespace kestral::multilayer {

std::string shortest_double(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

namespace {

[[noreturn]] void fail(const std::string& message) { throw InvalidProblem(message); }

std::string item(const char* what, std::size_t index, std::size_t count) {
  return std::string(what) + " " + std::to_string(index + 1) + " of " + std::to_string(count);
}

bool finite_positive(double v) { return std::isfinite(v) && v > 0.0; }

bool normal_positive(double v) { return std::isnormal(v) && v > 0.0; }

void check_layers(const Section& section) {
  const auto& layers = section.layers;
  const std::size_t n = layers.size();
  if (n == 0) fail("section: no layers (at least one, the half-space, is needed)");
  for (std::size_t i = 0; i < n; ++i) {
    const Layer& l = layers[i];
    const std::string name = item("layer", i, n);
    if (!finite_positive(l.modulus)) fail(name + ": modulus must be finite and > 0, got " + shortest_double(l.modulus));
    if (!(l.poisson >= 0.0 && l.poisson <= 0.5))
      fail(name + ": Poisson's ratio must lie in [0, 0.5], got " + shortest_double(l.poisson));
    if (i + 1 == n) break;
    if (!finite_positive(l.thickness))
      fail(name + ": thickness must be finite and > 0, got " + shortest_double(l.thickness));
    const std::string interface = item("interface", i, n - 1) + " (below layer " + std::to_string(i + 1) + ")";
    switch (l.below.kind) {
      case InterfaceKind::bonded:
      case InterfaceKind::frictionless:
        break;
      case InterfaceKind::spring:
        if (!(std::isfinite(l.below.spring_stiffness) && l.below.spring_stiffness >= 0.0))
          fail(interface + ": spring stiffness must be finite and >= 0, got " +
               shortest_double(l.below.spring_stiffness));
        break;
      default:
        fail(interface + ": unknown interface kind " + std::to_string(static_cast<int>(l.below.kind)));
    }
  }
  const auto [lo, hi] = std::minmax_element(layers.begin(), layers.end(),
                                            [](const Layer& a, const Layer& b) { return a.modulus < b.modulus; });
  if (hi->modulus / lo->modulus > kMaxModulusRatio)
    fail("section: moduli " + shortest_double(lo->modulus) + " (layer " +
         std::to_string(lo - layers.begin() + 1) + ") and " + shortest_double(hi->modulus) + " (layer " +
         std::to_string(hi - layers.begin() + 1) + ") are more than 1e8 apart");
}

void check_loads(const std::vector<Load>& loads) {
  const std::size_t n = loads.size();
  if (n == 0) fail("loads: none given (at least one is needed)");
  for (std::size_t i = 0; i < n; ++i) {
    const Load& l = loads[i];
    const std::string name = item("load", i, n);
    if (!(std::isfinite(l.x) && std::fabs(l.x) <= kMaxCoordinate))
      fail(name + ": centre x must be finite and at most 1e100 in size, got " + shortest_double(l.x));
    if (!(std::isfinite(l.y) && std::fabs(l.y) <= kMaxCoordinate))
      fail(name + ": centre y must be finite and at most 1e100 in size, got " + shortest_double(l.y));
    if (!finite_positive(l.radius)) fail(name + ": radius must be finite and > 0, got " + shortest_double(l.radius));
    if (!finite_positive(l.pressure))
      fail(name + ": pressure must be finite and > 0, got " + shortest_double(l.pressure));
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
    fail("problem: the result scales (pressure " + shortest_double(q_max) + ", radius " + shortest_double(a_max) +
         ", modulus " + shortest_double(e_min) + ") are beyond the range of double precision");
  const std::size_t n = section.layers.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double h = section.layers[i].thickness;
    if (h < kMinThicknessOverRadius * a_max)
      fail(item("layer", i, n) + ": thickness " + shortest_double(h) +
           " is less than 1e-3 of the largest load radius " + shortest_double(a_max));
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
      fail(name() + ": x must be finite and at most 1e100 in size, got " + shortest_double(p.x));
    if (!(std::isfinite(p.y) && std::fabs(p.y) <= kMaxCoordinate))
      fail(name() + ": y must be finite and at most 1e100 in size, got " + shortest_double(p.y));
    if (!(std::isfinite(p.z) && p.z >= 0.0 && p.z <= kMaxCoordinate))
      fail(name() + ": depth z must be finite, >= 0 and at most 1e100, got " + shortest_double(p.z));
    for (const auto& [axis, value] : {std::pair<const char*, double>{"x", p.x}, {"y", p.y}, {"depth z", p.z}}) {
      if (std::fabs(value) > kMaxRadiiFromOrigin * a_max)
        fail(name() + ": " + axis + " " + shortest_double(value) + " is more than 1e12 load radii (" +
             shortest_double(a_max) + ") from the origin");
    }
    switch (p.side) {
      case Side::both:
      case Side::above:
      case Side::below:
        break;
      default:
        fail(name() + ": unknown side " + std::to_string(static_cast<int>(p.side)));
    }
  }
}

void check_options(const Options& options) {
  if (!(options.tolerance > kMinTolerance && options.tolerance <= kMaxTolerance))
    fail("options: tolerance must lie in (1e-14, 1e-2], got " + shortest_double(options.tolerance));
  if (options.threads < 0) fail("options: threads must be >= 0, got " + std::to_string(options.threads));
}

double largest_radius(const std::vector<Load>& loads) {
  double a_max = 0;
  for (const Load& l : loads) a_max = std::max(a_max, l.radius);
  return a_max;
}

void check_load_centres(const std::vector<Load>& loads, double a_max) {
  for (std::size_t i = 0; i < loads.size(); ++i) {
    for (const auto& [axis, value] : {std::pair<const char*, double>{"x", loads[i].x}, {"y", loads[i].y}}) {
      if (std::fabs(value) > kMaxRadiiFromOrigin * a_max)
        fail(item("load", i, loads.size()) + ": centre " + axis + " " + shortest_double(value) +
             " is more than 1e12 load radii (" + shortest_double(a_max) + ") from the origin");
    }
  }
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
  double depth = 0;
  for (std::size_t i = 0; i + 1 < section.layers.size(); ++i) depth += section.layers[i].thickness;
  if (depth > kMaxRadiiFromOrigin * a_max)
    fail("section: total thickness " + shortest_double(depth) + " is more than 1e12 load radii (" +
         shortest_double(a_max) + ")");
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
