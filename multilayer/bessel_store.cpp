#include "multilayer/bessel_store.h"

#include <bit>

#include "multilayer/bessel.h"

namespace kestral::multilayer {

namespace {
// Map overhead per entry, roughly: the bound is on the order of the memory.
constexpr std::size_t kEntryOverhead = 64;
}  // namespace

void bessel_j012(double x, double& j0, double& j1, double& j2) {
  if (x == 0.0) {
    j0 = 1.0;
    j1 = 0.0;
    j2 = 0.0;
    return;
  }
  const BesselPair pair = bessel_j0_j1(x);
  j0 = pair.j0;
  j1 = pair.j1;
  j2 = x < 1e-4 ? x * x / 8.0 * (1.0 - x * x / 12.0) : 2.0 * j1 / x - j0;
}

const std::vector<double>* BesselStore::load_bessel(std::uint64_t panel) const {
  const auto found = load_.find(panel);
  return found == load_.end() ? nullptr : &found->second;
}

const PointBessel* BesselStore::point_bessel(std::uint64_t panel, double r) const {
  const auto found = point_.find({panel, std::bit_cast<std::uint64_t>(r)});
  return found == point_.end() ? nullptr : &found->second;
}

void BesselStore::add_load_bessel(std::uint64_t panel, const std::vector<double>& values) {
  if (load_.emplace(panel, values).second) bytes_ += values.size() * sizeof(double) + kEntryOverhead;
}

const PointBessel& BesselStore::add_point_bessel(std::uint64_t panel, double r, const PointBessel& values) {
  const auto [where, added] = point_.emplace(PairKey{panel, std::bit_cast<std::uint64_t>(r)}, values);
  if (added) bytes_ += sizeof(PointBessel) + kEntryOverhead;
  return where->second;
}

void BesselStore::merge(const BesselStore& fresh, std::size_t max_bytes) {
  for (const auto& [key, values] : fresh.load_) {
    if (bytes_ >= max_bytes) return;
    add_load_bessel(key, values);
  }
  for (const auto& [key, values] : fresh.point_) {
    if (bytes_ >= max_bytes) return;
    if (point_.emplace(key, values).second) bytes_ += sizeof(PointBessel) + kEntryOverhead;
  }
}

void BesselStore::clear() {
  load_.clear();
  point_.clear();
  bytes_ = 0;
}

}  // namespace kestral::multilayer
