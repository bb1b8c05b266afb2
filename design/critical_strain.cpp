#include "design/critical_strain.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include <boost/math/tools/minima.hpp>

namespace kestral::design {
namespace {

// Candidates whose interpolated value lies within this share of the best's
// are valued exactly: the interpolation's error, measured below 1.1e-5 of
// the strain on the example and the tests' layouts, is a hundredth of it.
constexpr double kContenderMargin = 1e-3;

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

namespace {

// A quarter of the length over which the field varies: the tyre radius near
// the surface, the depth below a tyre radius (a tyre's response there is a
// bump the depth wide); no narrower maximum can hide between map points.
double map_step(const StrainField& field) { return std::max(field.layout().radius, field.scale()) / 4.0; }

// The map's local maxima, each refined on the interpolated field, highest
// first (at most six).
std::vector<Candidate> interpolated_maxima(const StrainField& field) {
  const auto [x_max, y_max] = search_extent(field);
  const double step = map_step(field);
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
  const auto interpolated = [&field](double x, double y) { return field.interpolated(x, y); };
  for (Candidate& candidate : maxima) candidate = coordinate_search(interpolated, candidate, step, 1e-9, x_max, y_max);
  std::sort(maxima.begin(), maxima.end(), [](const Candidate& a, const Candidate& b) { return a.value > b.value; });
  return maxima;
}

// How many of the candidates (highest first) lie within `margin` of the
// highest: every candidate when none is positive.
std::size_t contenders(const std::vector<Candidate>& candidates, double margin) {
  if (!(candidates.front().value > 0.0)) return candidates.size();
  std::size_t count = 1;
  while (count < candidates.size() && candidates[count].value >= candidates.front().value * (1.0 - margin)) ++count;
  return count;
}

// Candidates first..last, each with the four points of its stencil.
std::vector<std::pair<double, double>> stencils(const StrainField& field, const std::vector<Candidate>& candidates,
                                                std::size_t first, std::size_t last) {
  const double delta = field.scale() / 100.0;
  std::vector<std::pair<double, double>> points;
  for (std::size_t k = first; k < last; ++k) {
    for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, {delta, 0.0}, {-delta, 0.0}, {0.0, delta}, {0.0, -delta}}) {
      points.emplace_back(candidates[k].x + dx, candidates[k].y + dy);
    }
  }
  return points;
}

// The largest relative difference between a candidate's exact and
// interpolated values.
double interpolation_gap(const std::vector<Candidate>& candidates, const std::vector<double>& exact) {
  double gap = 0.0;
  for (std::size_t k = 0; 5 * k < exact.size(); ++k) {
    gap = std::max(gap, std::abs(exact[5 * k] - candidates[k].value) / std::abs(exact[5 * k]));
  }
  return gap;
}

// The best candidate by exact value, refined on exact values unless its
// stencil shows it at the field's maximum to 1e-7 of the strain.
Candidate exact_best(StrainField& field, const std::vector<Candidate>& candidates, const std::vector<double>& exact) {
  std::size_t best_index = 0;
  for (std::size_t k = 1; 5 * k < exact.size(); ++k) {
    if (exact[5 * k] > exact[5 * best_index]) best_index = k;
  }
  Candidate best{exact[5 * best_index], candidates[best_index].x, candidates[best_index].y};
  // No strain of the criterion's kind anywhere: its life is unlimited
  // whatever the exact place of the least compression.
  if (!(best.value > 0.0)) return best;

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
    const auto [x_max, y_max] = search_extent(field);
    const auto exact_value = [&field](double x, double y) { return field.exact(x, y); };
    best = coordinate_search(exact_value, best, map_step(field), 0.1 * kStrainConvergence, x_max, y_max);
  }
  return best;
}

}  // namespace

std::vector<CriticalStrain> critical_strains(const std::vector<StrainField*>& fields,
                                             const std::vector<const ProfileGeometry*>& profiles) {
  std::vector<std::size_t> before;
  for (const StrainField* field : fields) before.push_back(field->engine_points());
  std::vector<ProfileGeometry> own;
  std::vector<const ProfileGeometry*> used = profiles;
  if (used.empty()) {
    for (const StrainField* field : fields) own.push_back(profile_geometry(field->layout(), field->face(), profile_reach(*field)));
    for (const ProfileGeometry& profile : own) used.push_back(&profile);
  }
  StrainField::prepare_profiles(fields, used);

  // The contenders of every field and their stencils, in one engine run.
  std::vector<std::vector<Candidate>> candidates;
  std::vector<std::size_t> evaluated;
  std::vector<std::vector<std::pair<double, double>>> points;
  for (const StrainField* field : fields) {
    candidates.push_back(interpolated_maxima(*field));
    evaluated.push_back(contenders(candidates.back(), kContenderMargin));
    points.push_back(stencils(*field, candidates.back(), 0, evaluated.back()));
  }
  const std::vector<const StrainField*> constant(fields.begin(), fields.end());
  std::vector<std::vector<double>> exact = StrainField::exact(constant, points);

  std::vector<CriticalStrain> found;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    // Should the interpolation prove worse than the margin assumes, the
    // other candidates are valued too.
    const std::size_t all = candidates[f].size();
    if (evaluated[f] < all && interpolation_gap(candidates[f], exact[f]) > kContenderMargin / 4.0) {
      const std::vector<double> more = fields[f]->exact(stencils(*fields[f], candidates[f], evaluated[f], all));
      exact[f].insert(exact[f].end(), more.begin(), more.end());
    }
    const Candidate best = exact_best(*fields[f], candidates[f], exact[f]);
    found.push_back(CriticalStrain{best.value, best.x, best.y, fields[f]->engine_points() - before[f]});
  }
  return found;
}

CriticalStrain critical_strain(StrainField& field, const ProfileGeometry* profile) {
  if (profile == nullptr) return critical_strains({&field}, {}).front();
  return critical_strains({&field}, {profile}).front();
}

}  // namespace kestral::design
