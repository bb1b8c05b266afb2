#include "multilayer/node_cache.h"

#include "multilayer/bessel.h"
#include <cmath>

#include "multilayer/layer_solve.h"

namespace kestral::multilayer {

NodeCache::NodeCache(const ScaledSection& section, std::vector<double> radii)
    : section_(section), radii_(std::move(radii)) {}

namespace {

// Levels stay within +-2^15, spans below 4 and indices below 2^46 (the
// integration limits the panels per point), so the key is unique.
std::uint64_t key_of(int level, std::int64_t index, int span) {
  return (static_cast<std::uint64_t>(level + 32768) << 48) | (static_cast<std::uint64_t>(span) << 46) |
         static_cast<std::uint64_t>(index);
}

}  // namespace

const PanelKernels* NodeCache::point_kernels(int level, std::int64_t index, int span) const {
  const auto found = point_index_.find(key_of(level, index, span));
  return found == point_index_.end() ? nullptr : &point_kernels_[found->second];
}

void NodeCache::remember_kernels(int level, std::int64_t index, int span, const PanelKernels& kernels) {
  point_index_.emplace(key_of(level, index, span), point_kernels_.size());
  point_kernels_.push_back(kernels);
}

void NodeCache::forget_point() {
  point_index_.clear();
  point_kernels_.clear();
}

const PanelNodes& NodeCache::panel(int level, std::int64_t index, int span) {
  const std::uint64_t key = key_of(level, index, span);
  auto found = panels_.find(key);
  if (found != panels_.end()) return *found->second;

  auto nodes = std::make_unique<PanelNodes>();
  const double width = std::ldexp(1.0, -level);
  nodes->lower = static_cast<double>(index) * width;
  nodes->upper = static_cast<double>(index + span) * width;
  const KronrodRule& rule = kronrod_rule();
  const double half = (nodes->upper - nodes->lower) / 2.0;
  const double mid = nodes->lower + half;
  const std::size_t n = section_.size();
  nodes->constants.resize(static_cast<std::size_t>(kKronrodNodes) * 4 * n);
  nodes->load_bessel.resize(static_cast<std::size_t>(kKronrodNodes) * radii_.size());
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    const double m = mid + half * rule.node[k];
    nodes->m[k] = m;
    solve_layer_constants(section_, m, scratch_);
    std::copy(scratch_.begin(), scratch_.end(), nodes->constants.begin() + static_cast<std::ptrdiff_t>(k * 4 * n));
    for (std::size_t j = 0; j < radii_.size(); ++j) {
      nodes->load_bessel[k * radii_.size() + j] = bessel_j1(m * radii_[j]);
    }
  }
  return *panels_.emplace(key, std::move(nodes)).first->second;
}

}  // namespace kestral::multilayer
