#pragma once

#include <array>
#include <cstdint>

#include "layered/layer_tables.h"

namespace kestral {

// The layer constants already solved, keyed by m, for one layer system.
//
// The constants depend on m and the layer system only, not on the point, so
// a run meets the same m again and again: both rows of a point on an
// interface, points that share an offset (a deeper one stops on a prefix of
// the shallower one's nodes), and the second wheel's pass. Returning the
// stored single-precision constants gives exactly what a new solve gives.
//
// Fixed capacity set at start: once three quarters of the slots are used,
// new constants are no longer stored and are solved on every call.
class ConstantsCache {
 public:
  static constexpr int kSlots = 1 << 15;
  static constexpr int kMaxStored = kSlots / 4 * 3;

  // Serves the given layer system from now on, emptied if it served another.
  void use_system(int NL, const LayerTable& E, const LayerTable& Mu, const LayerTable& H, float a);

  // The constants of m, if stored.
  bool find(float m, ConstantsTable& A, ConstantsTable& B, ConstantsTable& C,
            ConstantsTable& D) const;
  void store(float m, const ConstantsTable& A, const ConstantsTable& B, const ConstantsTable& C,
             const ConstantsTable& D);

  // Empties the cache and stops serving any system.
  void forget();

  int stored() const { return stored_; }

 private:
  struct Slot {
    std::array<ConstantsTable, 4> constants;
  };
  static std::uint32_t bits_of(float value);
  static int home_slot(std::uint32_t key);

  // The system served, as bit patterns (so that any change, even of the sign
  // of a zero, empties the cache).
  std::array<std::uint32_t, 3 * kLayerTableCapacity + 2> system_{};
  bool serving_ = false;
  int stored_ = 0;
  std::array<std::uint32_t, kSlots> keys_{};  // bits of m; 0 marks an empty slot
  std::array<Slot, kSlots> slots_{};
};

}  // namespace kestral
