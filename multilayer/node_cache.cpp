#include "multilayer/node_cache.h"

#include "multilayer/bessel.h"
#include <cmath>

#include "multilayer/layer_solve.h"

namespace kestral::multilayer {

NodeCache::NodeCache(const ScaledSection& section, std::vector<double> radii, const BesselStore* known,
                     BesselStore* fresh, bool derivatives, std::size_t panel_bytes)
    : section_(section),
      radii_(std::move(radii)),
      derivatives_(derivatives),
      panel_bytes_bound_(panel_bytes),
      known_(known),
      fresh_(fresh) {}

std::uint64_t NodeCache::panel_key(int level, std::int64_t index, int span) {
  return (static_cast<std::uint64_t>(level + 32768) << 48) | (static_cast<std::uint64_t>(span) << 45) |
         static_cast<std::uint64_t>(index);
}

namespace {

std::uint64_t key_of(int level, std::int64_t index, int span) { return NodeCache::panel_key(level, index, span); }

// Places kept at once, and kernel panels kept (1 kB each): a few MB per
// thread, whatever the number of points.
constexpr std::size_t kPlacesKept = 16;
constexpr std::size_t kKernelPanelsKept = 4096;

}  // namespace

void NodeCache::use_place(std::size_t layer, double s, double t) {
  for (std::size_t i = 0; i < places_.size(); ++i) {
    if (places_[i].layer == layer && places_[i].s == s && places_[i].t == t) {
      place_ = i;
      return;
    }
  }
  if (places_.size() == kPlacesKept) forget_point();
  place_ = places_.size();
  places_.push_back({layer, s, t});
}

const PanelKernels* NodeCache::point_kernels(int level, std::int64_t index, int span) const {
  const auto found = point_index_.find({key_of(level, index, span), place_});
  return found == point_index_.end() ? nullptr : &point_kernels_[found->second];
}

void NodeCache::forget_all_but_place() {
  // The current place's identity is kept: its number stays valid.
  const Place current = places_.empty() ? Place{0, 0.0, 0.0} : places_[place_];
  forget_point();
  places_.push_back(current);
}

void NodeCache::remember_kernels(int level, std::int64_t index, int span, const PanelKernels& kernels) {
  if (point_kernels_.size() == kKernelPanelsKept) forget_all_but_place();
  point_index_.emplace(KernelKey{key_of(level, index, span), place_}, point_kernels_.size());
  point_kernels_.push_back(kernels);
}

const PanelKernels* NodeCache::derivative_kernels(int level, std::int64_t index, int span) const {
  const auto found = derivative_kernels_.find({key_of(level, index, span), place_});
  return found == derivative_kernels_.end() ? nullptr : found->second.data();
}

void NodeCache::remember_derivative_kernels(int level, std::int64_t index, int span, const PanelKernels* kernels) {
  if (derivative_panels_ + layers() > kKernelPanelsKept) forget_all_but_place();
  derivative_kernels_.emplace(KernelKey{key_of(level, index, span), place_},
                              std::vector<PanelKernels>(kernels, kernels + layers()));
  derivative_panels_ += layers();
}

void NodeCache::forget_point() {
  point_index_.clear();
  point_kernels_.clear();
  derivative_kernels_.clear();
  derivative_panels_ = 0;
  places_.clear();
  place_ = 0;
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
  if (derivatives_) nodes->derivatives.reserve(static_cast<std::size_t>(kKronrodNodes) * n * 4 * n);
  const std::vector<double>* stored = known_ == nullptr ? nullptr : known_->load_bessel(key);
  if (stored == nullptr && fresh_ != nullptr) stored = fresh_->load_bessel(key);
  if (stored != nullptr) {
    nodes->load_bessel = *stored;
  } else {
    nodes->load_bessel.resize(static_cast<std::size_t>(kKronrodNodes) * radii_.size());
  }
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    const double m = mid + half * rule.node[k];
    nodes->m[k] = m;
    if (derivatives_) {
      solve_layer_constants_and_derivatives(section_, m, scratch_, derivative_scratch_);
      nodes->derivatives.insert(nodes->derivatives.end(), derivative_scratch_.begin(), derivative_scratch_.end());
    } else {
      solve_layer_constants(section_, m, scratch_);
    }
    std::copy(scratch_.begin(), scratch_.end(), nodes->constants.begin() + static_cast<std::ptrdiff_t>(k * 4 * n));
    if (stored != nullptr) continue;
    for (std::size_t j = 0; j < radii_.size(); ++j) {
      nodes->load_bessel[k * radii_.size() + j] = bessel_j1(m * radii_[j]);
    }
  }
  if (stored == nullptr && fresh_ != nullptr) fresh_->add_load_bessel(key, nodes->load_bessel);
  const std::size_t bytes =
      sizeof(PanelNodes) + sizeof(double) * (nodes->constants.size() + nodes->load_bessel.size() + nodes->derivatives.size());
  if (panel_bytes_ + bytes > panel_bytes_bound_) {
    panels_.clear();
    panel_bytes_ = 0;
  }
  panel_bytes_ += bytes;
  return *panels_.emplace(key, std::move(nodes)).first->second;
}

const PointBessel& NodeCache::point_bessel(int level, std::int64_t index, int span, const PanelNodes& panel,
                                           double r) {
  const std::uint64_t key = key_of(level, index, span);
  if (known_ != nullptr) {
    if (const PointBessel* stored = known_->point_bessel(key, r)) return *stored;
  }
  if (fresh_ != nullptr) {
    if (const PointBessel* stored = fresh_->point_bessel(key, r)) return *stored;
  }
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    bessel_j012(panel.m[k] * r, bessel_scratch_.j0[k], bessel_scratch_.j1[k], bessel_scratch_.j2[k]);
  }
  if (fresh_ != nullptr) return fresh_->add_point_bessel(key, r, bessel_scratch_);
  return bessel_scratch_;
}

}  // namespace kestral::multilayer
