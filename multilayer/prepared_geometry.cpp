// PreparedGeometry: the Bessel store shared by the calls, read under a shared
// lock while a call runs and grown under an exclusive one after it.
#include <mutex>
#include <shared_mutex>
#include <utility>

#include "multilayer/analysis.h"
#include "multilayer/bessel_store.h"
#include "multilayer/problem_run.h"
#include "multilayer/validation.h"

namespace kestral::multilayer {

struct PreparedGeometry::Kept {
  mutable std::shared_mutex lock;
  BesselStore store;
};

PreparedGeometry::PreparedGeometry(std::vector<Load> loads, std::vector<Point> points, Options options)
    : loads_(std::move(loads)), points_(std::move(points)), options_(options), kept_(std::make_shared<Kept>()) {
  validate_geometry(loads_, points_, options_);
}

namespace {

std::vector<Result> run_kept(const Section& section, const std::vector<Load>& loads, const std::vector<Point>& points,
                             const Options& options, PreparedGeometry::Kept& kept,
                             std::vector<std::vector<Result>>* by_modulus);

}  // namespace

std::vector<Result> PreparedGeometry::analyse(const Section& section) const {
  return run_kept(section, loads_, points_, options_, *kept_, nullptr);
}

ModulusDerivatives PreparedGeometry::analyse_with_derivatives(const Section& section) const {
  ModulusDerivatives out;
  out.rows = run_kept(section, loads_, points_, options_, *kept_, &out.by_modulus);
  return out;
}

namespace {

std::vector<Result> run_kept(const Section& section, const std::vector<Load>& loads, const std::vector<Point>& points,
                             const Options& options, PreparedGeometry::Kept& kept,
                             std::vector<std::vector<Result>>* by_modulus) {
  validate_problem(section, loads, points, options);
  std::vector<BesselStore> fresh;
  std::vector<Result> rows;
  {
    const std::shared_lock<std::shared_mutex> reading(kept.lock);
    rows = run_problem(section, loads, points, options, RunStores{&kept.store, &fresh}, by_modulus, true);
  }
  bool any = false;
  for (const BesselStore& f : fresh) any = any || f.bytes() > 0;
  if (any) {
    const std::unique_lock<std::shared_mutex> writing(kept.lock);
    for (const BesselStore& f : fresh) kept.store.merge(f, PreparedGeometry::kPreparedStoreBytes);
  }
  return rows;
}

}  // namespace

std::size_t PreparedGeometry::kept_bytes() const {
  const std::shared_lock<std::shared_mutex> reading(kept_->lock);
  return kept_->store.bytes();
}

}  // namespace kestral::multilayer
