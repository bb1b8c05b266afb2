#include "design/critical_strain.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include <boost/math/tools/minima.hpp>

namespace kestral::design {
namespace {

struct Candidate {
  double value, x, y;
};

// Brent's method along x, then along y, each over +-`reach` about the point
// (clipped to the quadrant), repeated until a cycle gains at most `gain` of
// the value (or 20 cycles). `f` is maximised.
Candidate coordinate_search(const std::function<double(double, double)>& f, Candidate start, double reach,
                            double gain, double x_max, double y_max) {
  constexpr int kBits = 30;  // positions to ~1e-9 relative: far below what the strain needs
  Candidate best = start;
  for (int cycle = 0; cycle < 20; ++cycle) {
    const double before = best.value;
    for (int axis = 0; axis < 2; ++axis) {
      const double centre = axis == 0 ? best.x : best.y;
      const double lo = std::max(0.0, centre - reach), hi = std::min(axis == 0 ? x_max : y_max, centre + reach);
      const auto along = [&](double t) { return -(axis == 0 ? f(t, best.y) : f(best.x, t)); };
      std::uintmax_t iterations = 60;
      const auto [where, minus_value] = boost::math::tools::brent_find_minima(along, lo, hi, kBits, iterations);
      if (-minus_value > best.value) {
        best.value = -minus_value;
        (axis == 0 ? best.x : best.y) = where;
      }
    }
    if (best.value - before <= gain * std::abs(best.value)) break;
  }
  return best;
}

// The local maxima of the map (values at least those of every neighbour),
// highest first.
std::vector<Candidate> map_maxima(const std::vector<double>& map, std::size_t nx, std::size_t ny, double step) {
  std::vector<Candidate> maxima;
  for (std::size_t i = 0; i < nx; ++i) {
    for (std::size_t j = 0; j < ny; ++j) {
      const double value = map[i * ny + j];
      bool highest = true;
      for (int di = -1; di <= 1 && highest; ++di) {
        for (int dj = -1; dj <= 1; ++dj) {
          const auto ii = static_cast<std::ptrdiff_t>(i) + di, jj = static_cast<std::ptrdiff_t>(j) + dj;
          if (ii < 0 || jj < 0 || ii >= static_cast<std::ptrdiff_t>(nx) || jj >= static_cast<std::ptrdiff_t>(ny)) continue;
          if (map[static_cast<std::size_t>(ii) * ny + static_cast<std::size_t>(jj)] > value) {
            highest = false;
            break;
          }
        }
      }
      if (highest) maxima.push_back({value, static_cast<double>(i) * step, static_cast<double>(j) * step});
    }
  }
  std::sort(maxima.begin(), maxima.end(), [](const Candidate& a, const Candidate& b) { return a.value > b.value; });
  return maxima;
}

}  // namespace

std::pair<double, double> search_extent(const StrainField& field) {
  const TyreLayout& layout = field.layout();
  const double margin = 2.0 * layout.radius + field.face().z;
  return {layout.max_x + margin, layout.max_y + margin};
}

double profile_reach(const StrainField& field) {
  const auto [x_max, y_max] = search_extent(field);
  return std::hypot(x_max + field.layout().max_x, y_max + field.layout().max_y);
}

CriticalStrain critical_strain(StrainField& field, const ProfileGeometry* profile) {
  const std::size_t points_before = field.engine_points();
  const auto [x_max, y_max] = search_extent(field);
  const TyreLayout& layout = field.layout();
  if (profile != nullptr) {
    field.prepare_profile(*profile);
  } else {
    field.prepare_profile(profile_geometry(layout, field.face(), profile_reach(field)));
  }

  // (1) The coarse map.
  const double step = layout.radius / 4.0;
  const auto nx = static_cast<std::size_t>(std::ceil(x_max / step)) + 1;
  const auto ny = static_cast<std::size_t>(std::ceil(y_max / step)) + 1;
  std::vector<double> map(nx * ny);
  for (std::size_t i = 0; i < nx; ++i) {
    for (std::size_t j = 0; j < ny; ++j) {
      map[i * ny + j] = field.interpolated(static_cast<double>(i) * step, static_cast<double>(j) * step);
    }
  }
  std::vector<Candidate> maxima = map_maxima(map, nx, ny, step);
  maxima.resize(std::min<std::size_t>(maxima.size(), 6));

  // (2) Each refined on the interpolated field, (3) then valued exactly.
  const auto interpolated = [&field](double x, double y) { return field.interpolated(x, y); };
  std::vector<std::pair<double, double>> places;
  for (Candidate& candidate : maxima) {
    candidate = coordinate_search(interpolated, candidate, step, 1e-9, x_max, y_max);
    places.emplace_back(candidate.x, candidate.y);
  }
  // Each candidate and its stencil of exact values a hundredth of the
  // field's scale around it, in one engine run.
  const double delta = field.scale() / 100.0;
  std::vector<std::pair<double, double>> stencils;
  for (const auto& [x, y] : places) {
    for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, {delta, 0.0}, {-delta, 0.0}, {0.0, delta}, {0.0, -delta}}) {
      stencils.emplace_back(x + dx, y + dy);
    }
  }
  const std::vector<double> exact = field.exact(stencils);
  std::size_t best_index = 0;
  for (std::size_t k = 1; k < places.size(); ++k) {
    if (exact[5 * k] > exact[5 * best_index]) best_index = k;
  }
  Candidate best{exact[5 * best_index], places[best_index].first, places[best_index].second};

  // No strain of the criterion's kind anywhere: its life is unlimited
  // whatever the exact place of the least compression.
  if (!(best.value > 0.0)) return CriticalStrain{best.value, best.x, best.y, field.engine_points() - points_before};

  // The stencil: is the exact field at its maximum here, to 1e-7?
  const double* around = &exact[5 * best_index + 1];
  double promised = 0.0;
  bool maximum = true;
  for (int axis = 0; axis < 2; ++axis) {
    const double plus = around[2 * axis], minus = around[2 * axis + 1];
    const double curvature = 2.0 * best.value - plus - minus;
    if (!(curvature > 0.0)) {
      maximum = maximum && plus <= best.value && minus <= best.value;
      continue;
    }
    promised += (plus - minus) * (plus - minus) / (8.0 * curvature);
  }
  if (!maximum || promised > 0.1 * kStrainConvergence * std::abs(best.value)) {
    const auto exact_value = [&field](double x, double y) { return field.exact(x, y); };
    best = coordinate_search(exact_value, best, step, 0.1 * kStrainConvergence, x_max, y_max);
  }
  return CriticalStrain{best.value, best.x, best.y, field.engine_points() - points_before};
}

}  // namespace kestral::design
