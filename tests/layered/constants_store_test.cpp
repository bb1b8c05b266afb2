// The store of solved constants: what it returns is what a solve returns,
// it never serves one layer system (or one m) with another's constants, and
// it stays correct once full.
#include "layered/constants_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "layered/abcd.h"

namespace kestral {
namespace {

struct Layers {
  int NL = 3;
  LayerTable E{2500, 250, 50};
  LayerTable Mu{0.35f, 0.35f, 0.40f};
  LayerTable H{120, 250};
  float a = 106.6f;
  int IBOND = kBondedInterfaces;
};

struct Constants {
  ConstantsTable A{}, B{}, C{}, D{};
  bool operator==(const Constants&) const = default;
};

Constants solve_plain(const Layers& s, float m) {
  Constants k;
  ABCD(m, s.Mu, s.E, s.NL, s.H, s.a, k.A, k.B, k.C, k.D, s.IBOND);
  return k;
}

Constants solve_stored(const Layers& s, float m, ConstantsStore& store) {
  Constants k;
  ABCD(m, s.Mu, s.E, s.NL, s.H, s.a, k.A, k.B, k.C, k.D, s.IBOND, store);
  return k;
}

void serve(ConstantsStore& store, const Layers& s) {
  store.use_system(s.NL, s.E, s.Mu, s.H, s.a, s.IBOND);
}

// One change of each input of the solve. A store that left any of them out
// of its key would serve the changed system with the first one's constants.
struct Variation {
  std::string name;
  std::function<void(Layers&)> change;
};

const std::vector<Variation>& every_input_changed() {
  static const std::vector<Variation> variations{
      {"layer count", [](Layers& s) { s.NL = 2; }},
      {"layer count up", [](Layers& s) { s.NL = 4; s.E[3] = 20; s.Mu[3] = 0.45f; s.H[2] = 300; }},
      {"contact radius", [](Layers& s) { s.a = 106.60001f; }},
      {"E(1)", [](Layers& s) { s.E[0] = 2501; }},
      {"E(3), the half-space", [](Layers& s) { s.E[2] = 51; }},
      {"Mu(1)", [](Layers& s) { s.Mu[0] = 0.3f; }},
      {"Mu(3), the half-space", [](Layers& s) { s.Mu[2] = 0.45f; }},
      {"H(1)", [](Layers& s) { s.H[0] = 121; }},
      {"H(2)", [](Layers& s) { s.H[1] = 251; }},
      {"IBOND", [](Layers& s) { s.IBOND = 1; }},
      {"Mu(2)", [](Layers& s) { s.Mu[1] = 0.0f; }},
  };
  return variations;
}

// Constants no solve gives: served only from a store.
const Constants kPlanted{{9, 9, 9, 0, 0}, {8, 8, 8, 0, 0}, {7, 7, 7, 0, 0}, {6, 6, 6, 0, 0}};

TEST(ConstantsStore, ReturnsWhatWasStoredForItsSystemAndItsMOnly) {
  ConstantsStore store;
  const Layers s;
  serve(store, s);
  // Three layers: the entries beyond them are neither stored nor returned.
  const Constants k{{1, 2, 3, 0, 0}, {6, 7, 8, 0, 0}, {-1, -2, -3, 0, 0}, {0.5f, 0, 0, 0, 0}};
  store.store(0.75f, k.A, k.B, k.C, k.D);
  Constants found;
  ASSERT_TRUE(store.find(0.75f, found.A, found.B, found.C, found.D));
  EXPECT_EQ(found, k);
  EXPECT_FALSE(store.find(0.7500001f, found.A, found.B, found.C, found.D));

  // The same system again keeps the store; entries beyond the layers are no
  // input of the solve and keep it too.
  Layers beyond = s;
  beyond.E[3] = 1e6f;
  beyond.H[2] = 7;
  serve(store, beyond);
  EXPECT_TRUE(store.find(0.75f, found.A, found.B, found.C, found.D));
  store.forget();
  EXPECT_FALSE(store.find(0.75f, found.A, found.B, found.C, found.D));
}

TEST(ConstantsStore, AnyChangeOfAnInputOfTheSolveEmptiesIt) {
  for (const Variation& v : every_input_changed()) {
    ConstantsStore store;
    const Layers s;
    serve(store, s);
    store.store(0.75f, kPlanted.A, kPlanted.B, kPlanted.C, kPlanted.D);
    Layers changed = s;
    v.change(changed);
    serve(store, changed);
    Constants found;
    EXPECT_FALSE(store.find(0.75f, found.A, found.B, found.C, found.D)) << v.name;
    EXPECT_EQ(store.stored(), 0) << v.name;
  }
}

TEST(ConstantsStore, AbcdNeverServesAChangedSolveFromTheStore) {
  // The store holds planted constants for the first system at m = 0.75. ABCD
  // through it returns them for that system (the store is consulted), and
  // for a system with any one input changed, or another m, exactly what the
  // plain solve gives.
  const Layers s;
  for (const Variation& v : every_input_changed()) {
    ConstantsStore store;
    serve(store, s);
    store.store(0.75f, kPlanted.A, kPlanted.B, kPlanted.C, kPlanted.D);
    Constants served = solve_stored(s, 0.75f, store);
    EXPECT_EQ(served, kPlanted);
    EXPECT_EQ(solve_stored(s, 0.7500001f, store), solve_plain(s, 0.7500001f));

    Layers changed = s;
    v.change(changed);
    EXPECT_EQ(solve_stored(changed, 0.75f, store), solve_plain(changed, 0.75f)) << v.name;
    EXPECT_NE(solve_plain(changed, 0.75f), kPlanted) << v.name;
  }
}

TEST(ConstantsStore, AbcdGivesTheSameConstantsStoredOrSolved) {
  ConstantsStore store;
  const Layers s;
  Layers stiffer = s;
  stiffer.E[0] = 5000;
  for (float m : {0.01f, 0.37f, 1.5f, 17.25f, 149.9f}) {
    const Constants plain = solve_plain(s, m);
    EXPECT_EQ(solve_stored(s, m, store), plain) << m;  // solved and stored
    EXPECT_EQ(solve_stored(s, m, store), plain) << m;  // from the store
    EXPECT_EQ(solve_stored(stiffer, m, store), solve_plain(stiffer, m)) << m;
    EXPECT_EQ(solve_stored(s, m, store), plain) << m;  // back to the first
  }
}

TEST(ConstantsStore, StoredConstantsLeaveEntriesBeyondTheLayersAlone) {
  const Layers s;  // three layers
  ConstantsStore store;
  Constants first{{0, 0, 0, 7, 7}, {0, 0, 0, 7, 7}, {0, 0, 0, 7, 7}, {0, 0, 0, 7, 7}};
  ABCD(0.5f, s.Mu, s.E, s.NL, s.H, s.a, first.A, first.B, first.C, first.D, s.IBOND, store);
  Constants second{{0, 0, 0, -1, -1}, {0, 0, 0, -1, -1}, {0, 0, 0, -1, -1}, {0, 0, 0, -1, -1}};
  ABCD(0.5f, s.Mu, s.E, s.NL, s.H, s.a, second.A, second.B, second.C, second.D, s.IBOND, store);
  ASSERT_EQ(store.stored(), 1);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(second.B[k], first.B[k]);
  for (int k = 3; k < 5; ++k) {
    EXPECT_EQ(second.A[k], -1.0f);
    EXPECT_EQ(second.B[k], -1.0f);
    EXPECT_EQ(second.C[k], -1.0f);
    EXPECT_EQ(second.D[k], -1.0f);
  }
}

TEST(ConstantsStore, StaysCorrectWhenFull) {
  const Layers s;
  ConstantsStore store;
  // More distinct m than the store holds.
  const int count = ConstantsStore::kSlots;
  for (int i = 1; i <= count; ++i) solve_stored(s, 0.001f * static_cast<float>(i), store);
  EXPECT_EQ(store.stored(), ConstantsStore::kMaxStored);
  for (float m : {0.0005f, 7.77f, 0.001f * count, 0.001f}) {
    EXPECT_EQ(solve_stored(s, m, store), solve_plain(s, m)) << m;
  }
}

}  // namespace
}  // namespace kestral
