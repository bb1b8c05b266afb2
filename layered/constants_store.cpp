#include "layered/constants_store.h"

#include <algorithm>
#include <cstring>

namespace kestral {

ConstantsStore::ConstantsStore()
    : keys_(kSlots, 0u), slots_(std::make_unique_for_overwrite<Slot[]>(kSlots)) {}

std::uint32_t ConstantsStore::bits_of(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::size_t ConstantsStore::home_slot(std::uint32_t key) {
  // Fibonacci hashing: nodes are close floats, whose low bits differ most.
  return static_cast<std::size_t>((key * 2654435769u) >> (32 - 15));
}

void ConstantsStore::use_system(int NL, const LayerTable& E, const LayerTable& Mu,
                                const LayerTable& H, float a, int IBOND) {
  SystemKey system{};
  std::size_t next = 0;
  const int layers = std::clamp(NL, 0, kMaxLayers);
  system[next++] = static_cast<std::uint32_t>(layers);
  system[next++] = bits_of(a);
  for (int k = 0; k < layers; ++k) system[next++] = bits_of(E[k]);
  for (int k = 0; k < layers; ++k) system[next++] = bits_of(Mu[k]);
  for (int k = 0; k + 1 < layers; ++k) system[next++] = bits_of(H[k]);
  system[system.size() - 1] = static_cast<std::uint32_t>(IBOND);
  if (serving_ && system == system_) return;
  forget();
  system_ = system;
  serving_ = true;
}

void ConstantsStore::forget() {
  serving_ = false;
  if (stored_ > 0) std::fill(keys_.begin(), keys_.end(), 0u);
  stored_ = 0;
}

bool ConstantsStore::find(float m, ConstantsTable& A, ConstantsTable& B, ConstantsTable& C,
                          ConstantsTable& D) const {
  const std::uint32_t key = bits_of(m);
  if (!serving_ || key == 0 || stored_ == 0) return false;
  for (std::size_t slot = home_slot(key);; slot = (slot + 1) & (kSlots - 1)) {
    if (keys_[slot] == 0) return false;
    if (keys_[slot] == key) {
      // Only the layers of the system: entries beyond them stay the caller's.
      const auto& constants = slots_[slot].constants;
      const auto layers = static_cast<std::ptrdiff_t>(system_[0]);
      std::copy_n(constants[0].begin(), layers, A.begin());
      std::copy_n(constants[1].begin(), layers, B.begin());
      std::copy_n(constants[2].begin(), layers, C.begin());
      std::copy_n(constants[3].begin(), layers, D.begin());
      return true;
    }
  }
}

void ConstantsStore::store(float m, const ConstantsTable& A, const ConstantsTable& B,
                           const ConstantsTable& C, const ConstantsTable& D) {
  const std::uint32_t key = bits_of(m);
  if (!serving_ || key == 0 || stored_ >= kMaxStored) return;
  std::size_t slot = home_slot(key);
  while (keys_[slot] != 0) {
    if (keys_[slot] == key) return;
    slot = (slot + 1) & (kSlots - 1);
  }
  keys_[slot] = key;
  slots_[slot].constants = {A, B, C, D};
  ++stored_;
}

}  // namespace kestral
