#include "multilayer/load_integrals.h"

#include <algorithm>
#include <array>
#include "multilayer/bessel.h"
#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "multilayer/half_space_disc.h"

namespace kestral::multilayer {
namespace {

constexpr std::size_t kQuantities = 6;
using Six = std::array<double, kQuantities>;

constexpr int kMaxRefinements = 3;
constexpr std::size_t kMaxPanels = 20000;
// Panels beyond which a failed error test is not retried on halved panels.
constexpr std::size_t kMaxPanelsToRefine = 2000;
// From this tolerance (per integral, in the working units) on, panels are
// twice as wide.
constexpr double kWideTolerance = 1e-6;
// exp(-745) is below the smallest double: nothing is left beyond.
constexpr double kUnderflowDecay = 745.0;

Six to_six(const ModeValues& v) {
  return {v.sigma_z, v.stress_sum, v.stress_difference, v.tau_rz, v.u_r, v.u_z};
}
ModeValues from_six(const Six& s) { return {s[0], s[1], s[2], s[3], s[4], s[5]}; }

struct PanelRef {
  int level;
  std::int64_t index;
  int span;
};

struct Attempt {
  Six value{};
  Six error{};
  std::size_t panels = 0;
  std::vector<PanelRef> used;  // in the order summed, when derivatives are asked for
};

struct Setting {
  const ScaledSection& section;
  const PointPlace& place;
  double r;
  std::size_t radius_index;
  double tolerance;
  double decay_length;
  bool subtract;
  bool wide;  // uniform panels 1.5 w wide (w = 2^-level), not w
  unsigned asked;  // bit q: kernel q is asked for (the stop tests look at those only)
  // The last panels whose largest |f| and |sum| the stop test takes: as many
  // as span the panel the point would choose on its own (1 unless the panels
  // were narrowed by a cap: a panel narrower than a period of J(m r) may
  // miss the envelope of the integrand).
  std::int64_t envelope_panels = 1;

  bool wants(std::size_t q) const { return ((asked >> q) & 1u) != 0; }
};

// The integrand's six values at the nodes of one panel.
void point_kernels(const PanelNodes& panel, const Setting& s, std::size_t layers, PanelKernels& kernels) {
  const ScaledLayer& layer = s.section.layers[s.place.layer];
  const bool half_space = s.place.layer + 1 == s.section.size();
  const double nu = layer.poisson;
  const double g = layer.shear_modulus();
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    const double m = panel.m[k];
    std::array<double, 4> c{};
    std::copy_n(panel.constants.begin() + static_cast<std::ptrdiff_t>((k * layers + s.place.layer) * 4), 4,
                c.begin());
    LayerPlace p;
    p.m_s = m * s.place.s;
    p.decay_top = std::exp(-p.m_s);
    if (!half_space) {
      p.m_t = m * s.place.t;
      p.decay_bottom = std::exp(-p.m_t);
    }
    Six K = to_six(mode_values(c, p, m, nu, g));
    if (s.subtract) {
      // In the top layer s = z: the same decay serves the half-space.
      const Six H = to_six(half_space_mode_values(m, s.place.z, p.decay_top, nu, g));
      for (std::size_t q = 0; q < kQuantities; ++q) K[q] -= H[q];
    }
    kernels[k] = K;
  }
}

// The integrand's six values at the nodes of one panel.
void integrand(NodeCache& cache, int level, std::int64_t index, int span, const PanelNodes& panel,
               const Setting& s, std::array<Six, kKronrodNodes>& f) {
  const PanelKernels* known = cache.point_kernels(level, index, span);
  PanelKernels fresh;
  if (known == nullptr) {
    point_kernels(panel, s, cache.layers(), fresh);
    cache.remember_kernels(level, index, span, fresh);
    known = &fresh;
  }
  const std::size_t radii = cache.radii();
  const PointBessel& b = cache.point_bessel(level, index, span, panel, s.r);
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    const Six& K = (*known)[k];
    const double load = panel.load_bessel[k * radii + s.radius_index];
    f[k] = {K[0] * b.j0[k] * load, K[1] * b.j0[k] * load, K[2] * b.j2[k] * load,
            K[3] * b.j1[k] * load, K[4] * b.j1[k] * load, K[5] * b.j0[k] * load};
  }
}

// One panel by the Kronrod rule: value, QUADPACK error and largest |f|.
struct PanelSums {
  Six value{}, error{}, biggest{};
  double upper = 0;
  PanelRef ref{};
};

PanelSums panel_sums(NodeCache& cache, const Setting& s, int level, std::int64_t index, int span = 1) {
  const KronrodRule& rule = kronrod_rule();
  const PanelNodes& panel = cache.panel(level, index, span);
  std::array<Six, kKronrodNodes> f{};
  integrand(cache, level, index, span, panel, s, f);
  const double half = (panel.upper - panel.lower) / 2.0;
  PanelSums out;
  out.upper = panel.upper;
  out.ref = {level, index, span};
  // Node by node, the six quantities side by side: each sum runs over the
  // nodes in the same order as one quantity at a time would, and the inner
  // loop over the quantities vectorises.
  Six kronrod{}, gauss{}, absolute{}, spread{}, mean{};
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    const double wk = rule.kronrod_weight[k];
    const double wg = rule.gauss_weight[k];
    for (std::size_t q = 0; q < kQuantities; ++q) {
      const double v = f[k][q];
      const double a = std::fabs(v);
      kronrod[q] += wk * v;
      gauss[q] += wg * v;
      absolute[q] += wk * a;
      out.biggest[q] = out.biggest[q] < a ? a : out.biggest[q];
    }
  }
  for (std::size_t q = 0; q < kQuantities; ++q) mean[q] = kronrod[q] / 2.0;
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    const double wk = rule.kronrod_weight[k];
    for (std::size_t q = 0; q < kQuantities; ++q) spread[q] += wk * std::fabs(f[k][q] - mean[q]);
  }
  for (std::size_t q = 0; q < kQuantities; ++q) {
    out.value[q] = kronrod[q] * half;
    out.error[q] = kronrod_error(kronrod[q] * half, gauss[q] * half, spread[q] * half, absolute[q] * half);
  }
  return out;
}

// Levels the halving check may add below the section's own scale; beyond
// them the gap left counts in the error.
constexpr int kMaxGrading = 24;

Attempt integrate_at_level(NodeCache& cache, const Setting& s, int level) {
  Attempt out;
  auto add = [&](const PanelSums& p) {
    for (std::size_t q = 0; q < kQuantities; ++q) {
      out.value[q] += p.value[q];
      out.error[q] += p.error[q];
    }
    ++out.panels;
    if (cache.derivatives()) out.used.push_back(p.ref);
  };
  const double width = std::ldexp(1.0, -level);
  const double longest = s.section.deepest_interface();
  int grading = 0;
  if (longest > 0.0) grading = std::clamp(static_cast<int>(std::ceil(std::log2(width * 4.0 * longest))), 0, 64);

  // Towards m = 0: the first panel [0, w 2^-finest] is accepted when its two
  // halves agree with it; otherwise the grading goes one level deeper (the
  // layer constants may vary on a scale the section's lengths do not show).
  int finest = level + grading;
  PanelSums whole = panel_sums(cache, s, finest, 0);
  for (int extra = 0;; ++extra) {
    const PanelSums lower = panel_sums(cache, s, finest + 1, 0);
    const PanelSums upper = panel_sums(cache, s, finest + 1, 1);
    bool agree = true;
    Six gap{};
    for (std::size_t q = 0; q < kQuantities; ++q) {
      gap[q] = std::fabs(whole.value[q] - lower.value[q] - upper.value[q]);
      // The lower half's own estimate must be small too: near m = 0 a stiff
      // layer on soft ground leaves a panel whose halves agree but whose
      // estimate alone exceeds the tolerance, and refining the whole
      // integration for it would solve every panel again.
      if (s.wants(q) && (gap[q] > 0.01 * s.tolerance || lower.error[q] > 0.1 * s.tolerance)) agree = false;
    }
    if (agree || extra == kMaxGrading) {
      add(lower);
      add(upper);
      for (std::size_t q = 0; q < kQuantities; ++q) out.error[q] += gap[q];
      break;
    }
    add(upper);
    whole = lower;
    ++finest;
  }
  // The graded panels [2^-l, 2^(step-l)] up to w, each 4 times the last
  // (8 times while it ends below 2 / H: there the kernels hardly vary), then
  // [w, 2w], [2w, 3w], ... (or [w, 2.5w], [2.5w, 4w], ... when wide)
  for (int l = level + grading; l > level;) {
    int step = std::min(3, l - level);
    if (step == 3 && std::ldexp(1.0, 3 - l) * longest > 2.0) step = 2;
    add(panel_sums(cache, s, l, 1, (1 << step) - 1));
    l -= step;
  }
  // The last envelope_panels panels' largest |f| and |value| (a ring).
  const std::size_t ring = static_cast<std::size_t>(s.envelope_panels);
  std::vector<Six> last_biggest(ring, Six{}), last_value(ring, Six{});
  for (std::int64_t index = 1;; ++index) {
    const PanelSums p = s.wide ? panel_sums(cache, s, level + 1, 3 * index - 1, 3) : panel_sums(cache, s, level, index);
    add(p);
    const std::size_t slot = static_cast<std::size_t>(index) % ring;
    last_biggest[slot] = p.biggest;
    last_value[slot] = p.value;
    const double reach = p.upper * s.decay_length;
    if (reach < 8.0 && out.panels < kMaxPanels) continue;
    Six tail{};
    bool converged = true;
    for (std::size_t q = 0; q < kQuantities; ++q) {
      double biggest = 0, last = 0;
      for (std::size_t k = 0; k < ring; ++k) {
        biggest = std::max(biggest, last_biggest[k][q]);
        last += std::fabs(last_value[k][q]);
      }
      tail[q] = 2.0 * biggest / s.decay_length;
      if (s.wants(q) && tail[q] + last > 0.25 * s.tolerance) converged = false;
    }
    if (converged || reach >= kUnderflowDecay || out.panels >= kMaxPanels) {
      for (std::size_t q = 0; q < kQuantities; ++q) out.error[q] += tail[q];
      return out;
    }
  }
}

// d/dE_l (scaled moduli) of the six kernels at the nodes of one panel, for
// every layer l. A kernel depends on E_l through the constants and, in the
// point's own layer, through 1 / G in the displacements; the subtracted
// half-space of the top layer through 1 / G of the top layer.
void derivative_kernels(const PanelNodes& panel, const Setting& s, std::size_t n, PanelKernels* out) {
  const std::size_t p = s.place.layer;
  const ScaledLayer& layer = s.section.layers[p];
  const bool half_space = p + 1 == n;
  const double nu = layer.poisson;
  const double g = layer.shear_modulus();
  const double inverse_own = 1.0 / layer.modulus;
  const double inverse_top = 1.0 / s.section.layers[0].modulus;
  for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
    const double m = panel.m[k];
    LayerPlace place;
    place.m_s = m * s.place.s;
    place.decay_top = std::exp(-place.m_s);
    if (!half_space) {
      place.m_t = m * s.place.t;
      place.decay_bottom = std::exp(-place.m_t);
    }
    std::array<double, 4> c{};
    for (std::size_t l = 0; l < n; ++l) {
      std::copy_n(panel.derivatives.begin() + static_cast<std::ptrdiff_t>(((k * n + l) * n + p) * 4), 4, c.begin());
      Six d = to_six(mode_values(c, place, m, nu, g));
      if (l == p) {
        std::copy_n(panel.constants.begin() + static_cast<std::ptrdiff_t>((k * n + p) * 4), 4, c.begin());
        const Six v = to_six(mode_values(c, place, m, nu, g));
        d[4] -= v[4] * inverse_own;
        d[5] -= v[5] * inverse_own;
      }
      if (s.subtract && l == 0) {
        const Six h = to_six(half_space_mode_values(m, s.place.z, place.decay_top, nu, g));
        d[4] += h[4] * inverse_top;
        d[5] += h[5] * inverse_top;
      }
      out[l][k] = d;
    }
  }
}

// d/dE_l of the six integrals, by the Kronrod rule on the panels the values
// were accepted on (the tail beyond them, below the tolerance for the values,
// is left out as it is for the values). The derivative kernels are kept per
// place and panel like the kernels: the points of a profile share them.
void integrate_derivatives(NodeCache& cache, const Setting& s, const std::vector<PanelRef>& used,
                           std::vector<Six>& out) {
  const std::size_t n = cache.layers();
  const KronrodRule& rule = kronrod_rule();
  out.assign(n, Six{});
  std::vector<Six> sums(n);
  std::vector<PanelKernels> fresh;
  for (const PanelRef& ref : used) {
    const PanelNodes& panel = cache.panel(ref.level, ref.index, ref.span);
    const PointBessel& b = cache.point_bessel(ref.level, ref.index, ref.span, panel, s.r);
    const PanelKernels* kernels = cache.derivative_kernels(ref.level, ref.index, ref.span);
    if (kernels == nullptr) {
      fresh.resize(n);
      derivative_kernels(panel, s, n, fresh.data());
      cache.remember_derivative_kernels(ref.level, ref.index, ref.span, fresh.data());
      kernels = fresh.data();
    }
    std::fill(sums.begin(), sums.end(), Six{});
    for (std::size_t k = 0; k < static_cast<std::size_t>(kKronrodNodes); ++k) {
      // The weight and the Bessel factors once per node, for every layer.
      const double wl = rule.kronrod_weight[k] * panel.load_bessel[k * cache.radii() + s.radius_index];
      const Six factor{b.j0[k] * wl, b.j0[k] * wl, b.j2[k] * wl, b.j1[k] * wl, b.j1[k] * wl, b.j0[k] * wl};
      for (std::size_t l = 0; l < n; ++l) {
        const Six& d = kernels[l][k];
        Six& sum = sums[l];
        for (std::size_t q = 0; q < kQuantities; ++q) sum[q] += d[q] * factor[q];
      }
    }
    const double half = (panel.upper - panel.lower) / 2.0;
    for (std::size_t l = 0; l < n; ++l)
      for (std::size_t q = 0; q < kQuantities; ++q) out[l][q] += sums[l][q] * half;
  }
}

}  // namespace

double widest_panel(const ScaledSection& section, const PointPlace& place, double r, double radius) {
  const bool subtract = place.layer == 0;
  if (subtract && section.size() == 1) return std::numeric_limits<double>::infinity();
  const double decay_length = subtract ? 2.0 * section.layers[0].thickness - place.z : place.z;
  return std::min(2.0 * std::numbers::pi / (r + radius), 6.0 / decay_length);
}

LoadIntegrals integrate_load(NodeCache& cache, const ScaledSection& section, const PointPlace& place,
                             double r, std::size_t radius_index, double radius, double tolerance,
                             unsigned kernels, double widest_cap) {
  LoadIntegrals out;
  cache.use_place(place.layer, place.s, place.t);
  const bool subtract = place.layer == 0;
  Six closed{};
  if (subtract) {
    const ScaledLayer& top = section.layers[0];
    closed = to_six(half_space_disc_response(r, place.z, radius, top.poisson, top.shear_modulus()));
  }
  Six value{};
  Six error{};
  std::vector<Six> derivative(cache.derivatives() ? section.size() : 0, Six{});
  if (!(subtract && section.size() == 1)) {
    const double decay_length = subtract ? 2.0 * section.layers[0].thickness - place.z : place.z;
    // A loose tolerance takes panels twice as wide: the 10-point Gauss rule
    // then still resolves two periods of the oscillation to about 1e-8 of
    // the panel (QUADPACK's estimate says so, panel by panel).
    const double widening = tolerance >= kWideTolerance ? 2.0 : 1.0;
    const double own = widening * widest_panel(section, place, r, radius);
    const double widest = std::min(own, widening * widest_cap);
    int level = static_cast<int>(std::ceil(-std::log2(widest)));
    // w <= widest < 2 w: panels 1.5 w wide where they fit, so that rounding
    // down to the dyadic family costs at most a factor 4/3, not 2.
    const bool wide = 1.5 * std::ldexp(1.0, -level) <= widest;
    Setting setting{section, place, r, radius_index, tolerance, decay_length, subtract, wide, kernels};
    {
      // The panel the point would choose on its own at a tight tolerance,
      // over the one used: 1 without a cap, an integer with one. (Panels
      // widened for a loose tolerance do not widen the window: it must span
      // the envelope of the oscillation, not the panel.)
      const double own_tight = own / widening;
      const int own_level = static_cast<int>(std::ceil(-std::log2(own_tight)));
      const double own_panel =
          (1.5 * std::ldexp(1.0, -own_level) <= own_tight ? 1.5 : 1.0) * std::ldexp(1.0, -own_level);
      const double panel = (wide ? 1.5 : 1.0) * std::ldexp(1.0, -level);
      setting.envelope_panels = std::max<std::int64_t>(1, std::llround(own_panel / panel));
    }
    for (int refinement = 0;; ++refinement, ++level) {
      const Attempt attempt = integrate_at_level(cache, setting, level);
      value = attempt.value;
      error = attempt.error;
      out.panels += attempt.panels;
      bool within = true;
      for (std::size_t q = 0; q < kQuantities; ++q) within = within && (!setting.wants(q) || error[q] <= tolerance);
      if (within || refinement == kMaxRefinements || attempt.panels >= kMaxPanelsToRefine) {
        if (cache.derivatives()) integrate_derivatives(cache, setting, attempt.used, derivative);
        break;
      }
    }
  }
  if (cache.derivatives()) {
    // The closed form's displacements go as 1 / G of the top layer.
    if (subtract) {
      derivative[0][4] -= closed[4] / section.layers[0].modulus;
      derivative[0][5] -= closed[5] / section.layers[0].modulus;
    }
    for (const Six& d : derivative) out.derivative.push_back(from_six(d));
  }
  for (std::size_t q = 0; q < kQuantities; ++q) {
    value[q] += closed[q];
    // The closed form's quadrature: measured within a few DBL_EPSILON of 1 / a.
    if (subtract) error[q] += 64.0 * DBL_EPSILON * (std::fabs(closed[q]) + 1.0 / radius);
  }
  out.value = from_six(value);
  out.error = from_six(error);
  return out;
}

}  // namespace kestral::multilayer
