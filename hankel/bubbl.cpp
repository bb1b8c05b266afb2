#include <cmath>

#include "hankel/roots.h"

namespace kestral {

namespace {

// Values that compare equal yet differ (+0 and -0), or compare with nothing
// (NaN), are the only ones whose final places depend on how the sort moves
// them.
bool order_depends_on_method(const RootList& values, int count) {
  for (int i = 0; i < count; ++i) {
    const float v = values[i];
    if (std::isnan(v) || (v == 0.0f && std::signbit(v))) return true;
  }
  return false;
}

// The exchange sort proper: count-1 full passes, neighbours exchanged unless
// strictly ascending, no early exit.
void exchange_sort(RootList& values, int count) {
  for (int pass = 1; pass <= count - 1; ++pass) {
    for (int i = 0; i < count - pass; ++i) {
      if (!(values[i] < values[i + 1])) {
        const float held = values[i];
        values[i] = values[i + 1];
        values[i + 1] = held;
      }
    }
  }
}

// Straight insertion; without NaN and signed zeros, values that compare equal
// are identical, so the result is the exchange sort's, in far fewer steps.
void insertion_sort(RootList& values, int count) {
  for (int k = 1; k < count; ++k) {
    const float v = values[k];
    int j = k;
    while (j > 0 && v < values[j - 1]) {
      values[j] = values[j - 1];
      --j;
    }
    values[j] = v;
  }
}

}  // namespace

void BUBBL(RootList& values, const int& count) {
  // Never beyond the table, nothing for one entry or none.
  const int n = (count > kRootListSize) ? kRootListSize : count;
  if (n <= 1) return;
  if (order_depends_on_method(values, n)) {
    exchange_sort(values, n);
  } else {
    insertion_sort(values, n);
  }
}

}  // namespace kestral
