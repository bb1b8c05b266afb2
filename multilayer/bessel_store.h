// The Bessel factors of a problem that do not depend on its section: J1(m a)
// of every load radius and J0, J1, J2(m r) of every point-to-load distance r
// at the Kronrod nodes of the dyadic panels (node_cache.h). A prepared
// geometry keeps them from section to section, so that a new section pays
// only its layer solves and sums. Each value is computed by the same code as
// without a store, so a row is the same bit for bit with or without it.
//
// Not synchronised: one store is read by the workers of a call while nothing
// writes it, and new entries are gathered per worker and merged afterwards
// (prepared_geometry.cpp holds the lock).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "multilayer/kronrod_rule.h"

namespace kestral::multilayer {

// J0, J1, J2 of m r at the nodes of one panel.
struct PointBessel {
  std::array<double, kKronrodNodes> j0{}, j1{}, j2{};
};

// J0(x), J1(x), J2(x) for x >= 0 (J2 by its series below 1e-4, where
// 2 J1 / x - J0 cancels).
void bessel_j012(double x, double& j0, double& j1, double& j2);

class BesselStore {
 public:
  // nullptr when not stored.
  const std::vector<double>* load_bessel(std::uint64_t panel) const;
  const PointBessel* point_bessel(std::uint64_t panel, double r) const;

  void add_load_bessel(std::uint64_t panel, const std::vector<double>& values);
  const PointBessel& add_point_bessel(std::uint64_t panel, double r, const PointBessel& values);

  // Takes every entry of `fresh` this store lacks, as long as it stays within
  // max_bytes (beyond, the rest is computed again when needed).
  void merge(const BesselStore& fresh, std::size_t max_bytes);
  std::size_t bytes() const { return bytes_; }
  void clear();

 private:
  struct PairKey {
    std::uint64_t panel;
    std::uint64_t r;  // bits of r
    bool operator==(const PairKey&) const = default;
  };
  struct PairHash {
    std::size_t operator()(const PairKey& k) const {
      return std::hash<std::uint64_t>{}(k.panel * 0x9e3779b97f4a7c15ULL ^ k.r);
    }
  };
  std::unordered_map<std::uint64_t, std::vector<double>> load_;
  std::unordered_map<PairKey, PointBessel, PairHash> point_;
  std::size_t bytes_ = 0;
};

}  // namespace kestral::multilayer
