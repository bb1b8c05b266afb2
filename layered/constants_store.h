#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "layered/layer_tables.h"

namespace kestral {

// The layer constants already solved in one run, keyed by m, for one layer
// system.
//
// The constants depend on m and the layer system only, not on the point, so
// a run meets the same m again and again: both rows of a point on an
// interface, points that share an offset (a deeper one stops on a prefix of
// the shallower one's nodes), and the second wheel's pass. Returning the
// stored single-precision constants gives exactly what a new solve gives.
//
// The run owns its store and hands it to FINAL, which hands it to ABCD; a
// store serves one system at a time, keyed on every input of the solve (NL,
// a, E, Mu, H of the NL layers, IBOND), and empties itself when asked to
// serve another. Nothing survives a run: the next one makes its own store.
//
// Fixed capacity, allocated once on construction (about 2.7 MB): once three
// quarters of the slots are used, new constants are no longer stored and are
// solved on every call. Not shared between threads: each run has its own.
class ConstantsStore {
 public:
  static constexpr int kSlots = 1 << 15;
  static constexpr int kMaxStored = kSlots / 4 * 3;

  ConstantsStore();

  // Serves the given layer system from now on, emptied if it served another.
  void use_system(int NL, const LayerTable& E, const LayerTable& Mu, const LayerTable& H, float a,
                  int IBOND);

  // The constants of m, if stored: layers 1..NL written, entries beyond them
  // left as they are.
  bool find(float m, ConstantsTable& A, ConstantsTable& B, ConstantsTable& C,
            ConstantsTable& D) const;
  void store(float m, const ConstantsTable& A, const ConstantsTable& B, const ConstantsTable& C,
             const ConstantsTable& D);

  // Empties the store and stops serving any system.
  void forget();

  int stored() const { return stored_; }

 private:
  struct Slot {
    std::array<ConstantsTable, 4> constants;
  };
  static std::uint32_t bits_of(float value);
  static std::size_t home_slot(std::uint32_t key);

  // NL, a, E(1..NL), Mu(1..NL), H(1..NL-1), IBOND.
  using SystemKey = std::array<std::uint32_t, 3 * kMaxLayers + 2>;

  // The system served, as bit patterns (so that any change, even of the sign
  // of a zero, empties the store).
  SystemKey system_{};
  bool serving_ = false;
  int stored_ = 0;
  std::vector<std::uint32_t> keys_;  // bits of m; 0 marks an empty slot
  // Left unset until stored into: only slots whose key is set are read, so
  // a run touches only the memory it uses.
  std::unique_ptr<Slot[]> slots_;
};

}  // namespace kestral
