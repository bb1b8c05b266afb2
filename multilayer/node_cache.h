// The Hankel-parameter panels shared by every point and load of a problem:
// panel (level, index, span) is [index, index + span] * 2^-level (in
// 1 / a_max), with the Gauss-Kronrod nodes, the layer constants at every node and J1(m a)
// for every distinct load radius. A point's integration picks panels of this
// dyadic family only, so points of similar offset and depth meet the same
// nodes and the layer solve is done once per node, not once per point.
//
// The kernels of a point's place (its layer and its distances to the layer's
// faces) are kept per place and panel: every point of a profile at one depth
// (and every load of a point) meets the same kernels, and only its Bessel
// factors are its own. A few places are kept at once (a map cycling through
// a few depths); beyond them, or beyond a bound on the memory, the kernels
// are forgotten and computed again when asked for.
//
// The Bessel factors, which do not depend on the section, may come from a
// store kept from call to call (bessel_store.h): those the store lacks are
// computed and gathered in a second store for the caller to merge.
//
// One cache per worker thread (no locks); every entry is a pure function of
// the section, the radii and the key, so a value does not depend on the
// thread or on the order in which points ask for it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "multilayer/bessel_store.h"
#include "multilayer/kronrod_rule.h"
#include "multilayer/scaled_section.h"

namespace kestral::multilayer {

struct PanelNodes {
  double lower = 0, upper = 0;                 // panel ends
  std::array<double, kKronrodNodes> m{};       // nodes
  std::vector<double> constants;               // node k, layer i: [(k * layers + i) * 4 ..]
  std::vector<double> load_bessel;             // node k, radius j: J1(m a_j) at [k * radii + j]
  // When asked for: node k, modulus of layer l, layer i: d constants / d E_l
  // at [((k * layers + l) * layers + i) * 4 ..].
  std::vector<double> derivatives;
};

// The six kernels of one point at the nodes of a panel.
using PanelKernels = std::array<std::array<double, 6>, kKronrodNodes>;

class NodeCache {
 public:
  // known: factors computed before (read only), or nullptr; fresh: where the
  // factors computed here go (nullptr: nowhere, computed at every use).
  // Bytes of panels kept per cache: beyond, every panel is forgotten and
  // solved again when next asked for (the same values), so that a problem of
  // many thin layers and far points stays within memory.
  static constexpr std::size_t kPanelBytesKept = std::size_t{256} << 20;

  // derivatives: also solve the derivatives of the constants by the moduli.
  NodeCache(const ScaledSection& section, std::vector<double> radii, const BesselStore* known = nullptr,
            BesselStore* fresh = nullptr, bool derivatives = false, std::size_t panel_bytes = kPanelBytesKept);

  // The key of a panel: unique while levels stay within +-2^15, spans below
  // 8 and indices below 2^45 (the integration limits the panels per point).
  static std::uint64_t panel_key(int level, std::int64_t index, int span);

  // Valid until the next call of panel().
  const PanelNodes& panel(int level, std::int64_t index, int span = 1);
  // J0, J1, J2 of m r at the panel's nodes (from the stores, or computed
  // into a scratch valid until the next call).
  const PointBessel& point_bessel(int level, std::int64_t index, int span, const PanelNodes& panel, double r);

  // The place whose kernels point_kernels and remember_kernels refer to: the
  // layer and the point's distances s, t to its top and bottom faces (the
  // kernels are a pure function of these and the panel).
  void use_place(std::size_t layer, double s, double t);
  // The current place's kernels on a panel (they do not depend on the load
  // nor on the point's offset): nullptr the first time, then what
  // remember_kernels stored, until forget_point() or the store's bound.
  const PanelKernels* point_kernels(int level, std::int64_t index, int span) const;
  void remember_kernels(int level, std::int64_t index, int span, const PanelKernels& kernels);
  // The same for the kernels' derivatives by the moduli (a cache that
  // solves derivatives only): layers() panels of kernels, layer l's at [l].
  const PanelKernels* derivative_kernels(int level, std::int64_t index, int span) const;
  void remember_derivative_kernels(int level, std::int64_t index, int span, const PanelKernels* kernels);
  void forget_point();  // every place's kernels
  std::size_t panels() const { return panels_.size(); }
  std::size_t layers() const { return section_.size(); }
  std::size_t radii() const { return radii_.size(); }
  bool derivatives() const { return derivatives_; }

 private:
  const ScaledSection& section_;
  std::vector<double> radii_;
  std::unordered_map<std::uint64_t, std::unique_ptr<PanelNodes>> panels_;
  struct Place {
    std::size_t layer;
    double s, t;
  };
  struct KernelKey {
    std::uint64_t panel;
    std::size_t place;
    bool operator==(const KernelKey&) const = default;
  };
  struct KernelKeyHash {
    std::size_t operator()(const KernelKey& k) const { return std::hash<std::uint64_t>{}(k.panel * 31 + k.place); }
  };
  std::vector<Place> places_;
  std::size_t place_ = 0;
  std::unordered_map<KernelKey, std::size_t, KernelKeyHash> point_index_;
  // Deques: they grow by small blocks that the allocator reuses from call to
  // call (a vector's doubling past 128 kB is mapped and faulted in anew).
  std::deque<PanelKernels> point_kernels_;
  std::unordered_map<KernelKey, std::vector<PanelKernels>, KernelKeyHash> derivative_kernels_;
  std::size_t derivative_panels_ = 0;
  void forget_all_but_place();
  std::vector<double> scratch_, derivative_scratch_;
  bool derivatives_;
  std::size_t panel_bytes_bound_;
  std::size_t panel_bytes_ = 0;
  const BesselStore* known_;
  BesselStore* fresh_;
  PointBessel bessel_scratch_;
};

}  // namespace kestral::multilayer
