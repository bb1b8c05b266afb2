#include "multilayer/problem_run.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "multilayer/load_integrals.h"
#include "multilayer/node_cache.h"
#include "multilayer/point_location.h"
#include "multilayer/scaled_section.h"
#include "multilayer/superposition.h"

namespace kestral::multilayer {

namespace {

constexpr std::size_t kRowsPerBlock = 16;

struct ScaledLoad {
  double x, y, radius, pressure, tolerance;
  std::size_t radius_index;
};

struct Job {
  const ScaledSection& section;
  const std::vector<ScaledLoad>& loads;
  const std::vector<double>& radii;
  const std::vector<Point>& points;
  const std::vector<std::size_t>& row_point;
  const std::vector<RowPlace>& row_place;
  std::vector<Result>& rows;
  const std::atomic<bool>* cancel;
  WorkCounter* work;
  const RunStores& stores;
  std::vector<std::vector<Result>>* by_modulus;
  Quantities quantities;
  unsigned kernels;
  double widest_cap;
};

// What was not asked for: 0, estimates included.
void clear_unasked(Result& r, const Quantities& asked) {
  if (!asked.stress) {
    r.stress = {};
    r.principal_stress = {};
    r.stress_error = 0;
  }
  if (!asked.displacement) {
    r.displacement = {};
    r.displacement_error = 0;
  }
  if (!asked.strain) {
    r.strain = {};
    r.principal_strain = {};
    r.horizontal_strain_max = 0;
    r.strain_error = 0;
  }
}

Result compute_row(NodeCache& cache, const Job& job, std::size_t row) {
  const Point& point = job.points[job.row_point[row]];
  const RowPlace& where = job.row_place[row];
  const double unit = job.section.length_unit;
  Superposed total;
  const std::size_t layers = job.by_modulus == nullptr ? 0 : job.section.size();
  std::vector<Superposed> derivative(layers);
  std::uint64_t row_panels = 0;
  for (const ScaledLoad& load : job.loads) {
    const double dx = point.x / unit - load.x;
    const double dy = point.y / unit - load.y;
    const double r = std::hypot(dx, dy);
    const LoadIntegrals li =
        integrate_load(cache, job.section, where.place, r, load.radius_index, load.radius, load.tolerance, job.kernels,
                       job.widest_cap);
    add_load(total, li, dx, dy, r, load.pressure, load.radius);
    row_panels += li.panels;
    if (job.work != nullptr) job.work->panels.fetch_add(li.panels, std::memory_order_relaxed);
    for (std::size_t l = 0; l < layers; ++l) {
      LoadIntegrals d;
      d.value = li.derivative[l];
      add_load(derivative[l], d, dx, dy, r, load.pressure, load.radius);
    }
  }
  const ScaledLayer& own = job.section.layers[where.place.layer];
  for (std::size_t l = 0; l < layers; ++l) {
    Result& d = (*job.by_modulus)[l][row];
    d = finish_derivative_row(derivative[l], total, own, l == where.place.layer, job.section);
    d.point = job.row_point[row];
    d.face = where.face;
    d.layer = static_cast<int>(where.place.layer);
    clear_unasked(d, job.quantities);
  }
  Result result = finish_row(total, own, job.section);
  result.point = job.row_point[row];
  result.face = where.face;
  result.layer = static_cast<int>(where.place.layer);
  clear_unasked(result, job.quantities);
  if (job.work != nullptr) {
    job.work->finished_panels.fetch_add(row_panels, std::memory_order_relaxed);
    // A point is done with its last row (the face below comes after the one above).
    if (row + 1 == job.row_point.size() || job.row_point[row + 1] != job.row_point[row])
      job.work->points.fetch_add(1, std::memory_order_relaxed);
  }
  return result;
}

void run_blocks(const Job& job, std::size_t threads) {
  const std::size_t count = job.rows.size();
  const std::size_t blocks = (count + kRowsPerBlock - 1) / kRowsPerBlock;
  threads = std::max<std::size_t>(1, std::min(threads, blocks));
  if (job.stores.fresh != nullptr) job.stores.fresh->assign(threads, BesselStore{});
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failure_lock;
  auto worker = [&](std::size_t id) {
    try {
      BesselStore* fresh = job.stores.fresh == nullptr ? nullptr : &(*job.stores.fresh)[id];
      NodeCache cache(job.section, job.radii, job.stores.known, fresh, job.by_modulus != nullptr);
      for (std::size_t block = next++; block < blocks; block = next++) {
        if (job.cancel != nullptr && job.cancel->load(std::memory_order_relaxed)) throw Cancelled();
        const std::size_t end = std::min(count, (block + 1) * kRowsPerBlock);
        for (std::size_t row = block * kRowsPerBlock; row < end; ++row) job.rows[row] = compute_row(cache, job, row);
      }
    } catch (...) {
      const std::lock_guard<std::mutex> hold(failure_lock);
      if (!failure) failure = std::current_exception();
      next = blocks;
    }
  };
  if (threads == 1) {
    worker(0);
  } else {
    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (std::size_t t = 0; t < threads; ++t) {
      try {
        pool.emplace_back(worker, t);
      } catch (const std::system_error&) {
        break;  // no more threads to be had: those started share the blocks
      }
    }
    if (pool.empty()) worker(0);
    for (std::thread& t : pool) t.join();
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

std::vector<Result> run_problem(const Section& section, const std::vector<Load>& loads,
                                const std::vector<Point>& points, const Options& options, const RunStores& stores,
                                std::vector<std::vector<Result>>* by_modulus, bool shared_panels) {
  const ScaledSection scaled = scale_section(section, loads);
  const std::vector<double> depths = interface_depths(section);

  std::vector<double> radii;
  for (const Load& l : loads) radii.push_back(l.radius / scaled.length_unit);
  std::sort(radii.begin(), radii.end());
  radii.erase(std::unique(radii.begin(), radii.end()), radii.end());
  std::vector<ScaledLoad> scaled_loads;
  for (const Load& l : loads) {
    ScaledLoad s{};
    s.x = l.x / scaled.length_unit;
    s.y = l.y / scaled.length_unit;
    s.radius = l.radius / scaled.length_unit;
    s.pressure = l.pressure / scaled.stress_unit;
    // The tolerance is shared among the loads; an integral is multiplied by
    // q a before it adds to a result of scale 1.
    s.tolerance = options.tolerance / static_cast<double>(loads.size()) / (s.pressure * s.radius);
    s.radius_index = static_cast<std::size_t>(std::lower_bound(radii.begin(), radii.end(), s.radius) - radii.begin());
    scaled_loads.push_back(s);
  }

  std::vector<std::size_t> row_point;
  std::vector<RowPlace> row_place;
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (const RowPlace& place : locate_point(points[i], depths, scaled)) {
      row_point.push_back(i);
      row_place.push_back(place);
    }
  }
  std::vector<Result> rows(row_point.size());
  if (by_modulus != nullptr) by_modulus->assign(section.layers.size(), std::vector<Result>(rows.size()));
  if (rows.empty()) return rows;
  const std::size_t threads =
      options.threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : static_cast<std::size_t>(options.threads);
  double widest_cap = std::numeric_limits<double>::infinity();
  if (shared_panels) {
    for (std::size_t row = 0; row < rows.size(); ++row) {
      const Point& point = points[row_point[row]];
      for (const ScaledLoad& load : scaled_loads) {
        const double r = std::hypot(point.x / scaled.length_unit - load.x, point.y / scaled.length_unit - load.y);
        widest_cap = std::min(widest_cap, widest_panel(scaled, row_place[row].place, r, load.radius));
      }
    }
  }
  const Job job{scaled, scaled_loads, radii, points, row_point, row_place, rows, options.cancel, options.work, stores, by_modulus, options.quantities,
                (options.quantities.stress || options.quantities.strain ? kStressKernels : 0u) |
                    (options.quantities.displacement ? kDisplacementKernels : 0u),
                widest_cap};
  run_blocks(job, threads);
  return rows;
}

}  // namespace kestral::multilayer
