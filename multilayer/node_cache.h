// The Hankel-parameter panels shared by every point and load of a problem:
// panel (level, index, span) is [index, index + span] * 2^-level (in
// 1 / a_max), with the Gauss-Kronrod nodes, the layer constants at every node and J1(m a)
// for every distinct load radius. A point's integration picks panels of this
// dyadic family only, so points of similar offset and depth meet the same
// nodes and the layer solve is done once per node, not once per point.
//
// One cache per worker thread (no locks); every entry is a pure function of
// the section, the radii and the key, so a value does not depend on the
// thread or on the order in which points ask for it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "multilayer/kronrod_rule.h"
#include "multilayer/scaled_section.h"

namespace kestral::multilayer {

struct PanelNodes {
  double lower = 0, upper = 0;                 // panel ends
  std::array<double, kKronrodNodes> m{};       // nodes
  std::vector<double> constants;               // node k, layer i: [(k * layers + i) * 4 ..]
  std::vector<double> load_bessel;             // node k, radius j: J1(m a_j) at [k * radii + j]
};

// The six kernels of one point at the nodes of a panel.
using PanelKernels = std::array<std::array<double, 6>, kKronrodNodes>;

class NodeCache {
 public:
  NodeCache(const ScaledSection& section, std::vector<double> radii);

  const PanelNodes& panel(int level, std::int64_t index, int span = 1);

  // The current point's kernels on a panel, shared by all its loads (they
  // depend on the point's place, not on the load): nullptr the first time,
  // then what remember_kernels stored, until forget_point().
  const PanelKernels* point_kernels(int level, std::int64_t index, int span) const;
  void remember_kernels(int level, std::int64_t index, int span, const PanelKernels& kernels);
  void forget_point();
  std::size_t panels() const { return panels_.size(); }
  std::size_t layers() const { return section_.size(); }
  std::size_t radii() const { return radii_.size(); }

 private:
  const ScaledSection& section_;
  std::vector<double> radii_;
  std::unordered_map<std::uint64_t, std::unique_ptr<PanelNodes>> panels_;
  std::unordered_map<std::uint64_t, std::size_t> point_index_;
  std::vector<PanelKernels> point_kernels_;
  std::vector<double> scratch_;
};

}  // namespace kestral::multilayer
