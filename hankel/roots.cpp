#include "hankel/roots.h"

#include <algorithm>

namespace kestral {

namespace {

// A zero of J(rho*m) lies at m = z/rho; rho = 0 keeps the unscaled zero.
float scaled_zero(float zero, float rho) { return (rho == 0.0f) ? zero : zero / rho; }

}  // namespace

void ROOTS(const float& ratio, RootList& roots, const int& kind) {
  // Copies first: the caller may pass an entry of roots as ratio.
  const float rho = ratio;
  const int list_kind = kind;

  ZeroTable z0;
  ZeroTable z1;
  BESROT(z0, z1);

  // Working list, index k - 1 holding w(k).
  RootList w;
  if (list_kind == 1) {
    // Zeros of J0(rho*m), then those of J1(m).
    for (int k = 1; k <= kZeroTableSize; ++k) {
      w[k - 1] = scaled_zero(z0[k - 1], rho);
      w[kZeroTableSize + k - 1] = z1[k - 1];
    }
  } else {
    // Zeros of J1(m), then those of J1(rho*m) without its origin, which
    // would repeat the 0; the freed last entry takes the end of the kind-1
    // list so that both lists of one point end at the same value (z0(80)
    // itself for rho = 0).
    for (int k = 1; k <= kZeroTableSize; ++k) w[k - 1] = z1[k - 1];
    for (int k = 2; k <= kZeroTableSize; ++k) {
      w[kZeroTableSize + k - 2] = scaled_zero(z1[k - 1], rho);
    }
    const float last_j0 = scaled_zero(z0[kZeroTableSize - 1], rho);
    const float last_j1 = z1[kZeroTableSize - 1];
    w[kRootListSize - 1] = std::max(last_j0, last_j1);
  }

  BUBBL(w, kRootListSize);
  roots = w;
}

}  // namespace kestral
