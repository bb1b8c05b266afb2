// The store of solved constants: what it returns is what a solve returns,
// it never serves one layer system with another's constants, and it stays
// correct once full.
#include "layered/constants_cache.h"

#include <gtest/gtest.h>

#include <memory>

#include "layered/abcd.h"

namespace kestral {
namespace {

struct Layers {
  int NL = 3;
  LayerTable E{2500, 250, 50};
  LayerTable Mu{0.35f, 0.35f, 0.40f};
  LayerTable H{120, 250};
  float a = 106.6f;
};

struct Constants {
  ConstantsTable A{}, B{}, C{}, D{};
  bool operator==(const Constants&) const = default;
};

Constants solve(const Layers& s, float m) {
  Constants k;
  const int bonded = kBondedInterfaces;
  ABCD(m, s.Mu, s.E, s.NL, s.H, s.a, k.A, k.B, k.C, k.D, bonded);
  return k;
}

Constants solve_fresh(const Layers& s, float m) {
  forget_solved_constants();
  return solve(s, m);
}

TEST(ConstantsCache, ReturnsWhatWasStoredForItsSystemOnly) {
  auto cache = std::make_unique<ConstantsCache>();
  const Layers s;
  cache->use_system(s.NL, s.E, s.Mu, s.H, s.a);
  // Three layers: the entries beyond them are neither stored nor returned.
  const Constants k{{1, 2, 3, 0, 0}, {6, 7, 8, 0, 0}, {-1, -2, -3, 0, 0}, {0.5f, 0, 0, 0, 0}};
  cache->store(0.75f, k.A, k.B, k.C, k.D);
  Constants found;
  ASSERT_TRUE(cache->find(0.75f, found.A, found.B, found.C, found.D));
  EXPECT_EQ(found, k);
  EXPECT_FALSE(cache->find(0.7500001f, found.A, found.B, found.C, found.D));

  // The same system again keeps the store; any change of it empties it.
  cache->use_system(s.NL, s.E, s.Mu, s.H, s.a);
  EXPECT_TRUE(cache->find(0.75f, found.A, found.B, found.C, found.D));
  Layers other = s;
  other.H[1] = 251;
  cache->use_system(other.NL, other.E, other.Mu, other.H, other.a);
  EXPECT_FALSE(cache->find(0.75f, found.A, found.B, found.C, found.D));
  EXPECT_EQ(cache->stored(), 0);
}

TEST(ConstantsCache, AbcdGivesTheSameConstantsStoredOrSolved) {
  const Layers s;
  Layers stiffer = s;
  stiffer.E[0] = 5000;
  for (float m : {0.01f, 0.37f, 1.5f, 17.25f, 149.9f}) {
    const Constants fresh = solve_fresh(s, m);
    EXPECT_EQ(solve(s, m), fresh) << m;           // from the store
    EXPECT_EQ(solve(stiffer, m), solve_fresh(stiffer, m)) << m;  // another system
    EXPECT_EQ(solve(s, m), fresh) << m;           // back to the first
  }
}

TEST(ConstantsCache, StoredConstantsLeaveEntriesBeyondTheLayersAlone) {
  const Layers s;  // three layers
  forget_solved_constants();
  const int bonded = kBondedInterfaces;
  Constants first{{0, 0, 0, 7, 7}, {0, 0, 0, 7, 7}, {0, 0, 0, 7, 7}, {0, 0, 0, 7, 7}};
  ABCD(0.5f, s.Mu, s.E, s.NL, s.H, s.a, first.A, first.B, first.C, first.D, bonded);
  Constants second{{0, 0, 0, -1, -1}, {0, 0, 0, -1, -1}, {0, 0, 0, -1, -1}, {0, 0, 0, -1, -1}};
  ABCD(0.5f, s.Mu, s.E, s.NL, s.H, s.a, second.A, second.B, second.C, second.D, bonded);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(second.B[k], first.B[k]);
  for (int k = 3; k < 5; ++k) {
    EXPECT_EQ(second.A[k], -1.0f);
    EXPECT_EQ(second.B[k], -1.0f);
    EXPECT_EQ(second.C[k], -1.0f);
    EXPECT_EQ(second.D[k], -1.0f);
  }
}

TEST(ConstantsCache, StaysCorrectWhenFull) {
  const Layers s;
  forget_solved_constants();
  // More distinct m than the store holds.
  const int count = ConstantsCache::kSlots;
  for (int i = 1; i <= count; ++i) solve(s, 0.001f * static_cast<float>(i));
  for (float m : {0.0005f, 7.77f, 0.001f * count}) {
    const Constants after_filling = solve(s, m);
    EXPECT_EQ(after_filling, solve_fresh(s, m)) << m;
    forget_solved_constants();
    for (int i = 1; i <= count; ++i) solve(s, 0.001f * static_cast<float>(i));
  }
}

}  // namespace
}  // namespace kestral
