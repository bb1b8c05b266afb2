// The rows of a validated problem: the section scaled, every point located,
// and the rows shared out over worker threads in fixed blocks. Each row is
// computed from its own inputs and the node values (pure functions of the
// section), so it is the same bit for bit whatever thread computes it and
// however many there are, and whether its Bessel factors come from a store
// or are computed afresh.
#pragma once

#include <vector>

#include "multilayer/analysis.h"
#include "multilayer/bessel_store.h"

namespace kestral::multilayer {

struct RunStores {
  const BesselStore* known = nullptr;   // factors kept from earlier calls, read only
  std::vector<BesselStore>* fresh = nullptr;  // out: the factors computed, one store per worker
};

// Expects a problem validate_problem() accepted.
std::vector<Result> run_problem(const Section& section, const std::vector<Load>& loads,
                                const std::vector<Point>& points, const Options& options, const RunStores& stores);

}  // namespace kestral::multilayer
