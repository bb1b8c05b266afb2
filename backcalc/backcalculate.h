// Every drop of a survey fitted, over threads: each drop is one task, a
// worker takes the next drop not yet taken, and every fit is computed the
// same way whichever thread runs it, so the results are identical bit for
// bit for any thread count.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

#include "backcalc/drop_fit.h"
#include "backcalc/survey.h"

namespace kestral::backcalc {

struct BackcalcSettings {
  int threads = 1;  // 0: one per core
  // Called now and then, from one thread at a time, with the drops done.
  std::function<void(std::size_t)> progress;
  // When set and raised, the workers stop taking drops and backcalculate()
  // throws multilayer::Cancelled.
  const std::atomic<bool>* cancel = nullptr;
};

// One fit per drop, in input order.
std::vector<DropFit> backcalculate(const Survey& survey, const BackcalcSettings& settings = {});

}  // namespace kestral::backcalc
