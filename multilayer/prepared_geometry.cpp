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

std::vector<Result> PreparedGeometry::analyse(const Section& section) const {
  validate_problem(section, loads_, points_, options_);
  std::vector<BesselStore> fresh;
  std::vector<Result> rows;
  {
    const std::shared_lock<std::shared_mutex> reading(kept_->lock);
    rows = run_problem(section, loads_, points_, options_, RunStores{&kept_->store, &fresh});
  }
  bool any = false;
  for (const BesselStore& f : fresh) any = any || f.bytes() > 0;
  if (any) {
    const std::unique_lock<std::shared_mutex> writing(kept_->lock);
    for (const BesselStore& f : fresh) kept_->store.merge(f, kPreparedStoreBytes);
  }
  return rows;
}

std::size_t PreparedGeometry::kept_bytes() const {
  const std::shared_lock<std::shared_mutex> reading(kept_->lock);
  return kept_->store.bytes();
}

}  // namespace kestral::multilayer
