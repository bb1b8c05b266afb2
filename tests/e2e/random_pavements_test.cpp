// Seeded random pavements: a few hundred valid problems, each run in-process,
// whose printed rows must keep what the mechanics guarantees for any layer
// system: every value finite; on the load axis the radial and tangential
// stresses equal; across a bonded interface the vertical and shear stresses,
// the vertical displacement and the horizontal strains continuous; a dual
// wheel the single-precision sum of its two wheels.
//
// A failure names its seed and prints the problem file it ran. Every draw
// comes from the raw std::mt19937 stream (no library distribution, whose
// output the standard leaves open), so a seed gives the same problem with
// any standard library. Each test prints the worst discrepancy it met per
// property. KESTRAL_RANDOM_PAVEMENTS=<count> runs <count> single-wheel and
// <count>/2 dual-wheel problems instead, for a wider look at the tails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/problem_input.h"
#include "driver/report_writer.h"
#include "driver/run.h"
#include "hankel/truncation.h"
#include "format/shortest_text.h"
#include "tests/support/gauss_rules.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

// Under AddressSanitizer a run is about five times slower: fewer problems
// keep the suite's time; they are the first seeds of the full series.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif
#else
constexpr bool kSanitizedBuild = false;
#endif

int single_wheel_problems() {
  const char* wanted = std::getenv("KESTRAL_RANDOM_PAVEMENTS");
  if (wanted != nullptr && std::atoi(wanted) > 0) return std::atoi(wanted);
  return kSanitizedBuild ? 60 : 300;
}
int dual_wheel_problems() { return single_wheel_problems() / 2; }
constexpr std::uint32_t kSingleWheelSeeds = 1000;  // seeds 1000, 1001, ...
constexpr std::uint32_t kDualWheelSeeds = 50000;

// Points within this depth (in contact radii) are integrated up to m = 150,
// like the surface; deeper ones until zeta*m reaches 7.
constexpr float kNearSurfaceZeta = kSurfaceZoneDepth;

// Tolerances, each with the reason for its size. "Measured" means the worst
// over 20000 problems of this generator (16000 single, 4000 dual wheel:
// about 32000 axis rows and 33000 interface points).
//
// Axis: SigmaR and SigmaT come from integrals over different interval chains
// (zeros of J0 and J1 for the one, of J1 for the other), so they differ by
// the quadrature and truncation errors of the two. These stay within 1 % of
// q almost everywhere, but not always: where a very soft layer lies under
// stiff ones the integrands peak sharply at small m, and the single 10-point
// rule of the first interval (m up to 1.2 or 1.9) misses the peak; and deep
// points whose chain stops after that first interval (zeta*m >= 7 at m =
// 1.9) leave a tail that exp(-7) does not make negligible when a stiff
// layer carries large stresses. Both errors are the method's, not the
// code's: for the worst rows a finely subdivided, untruncated integral of
// the same constants gives SigmaR = SigmaT between the two values printed,
// each of which misses it by the errors above. Measured:
// 1.98 % of q at worst, beyond 1 % in 25 of 32390 axis rows.
constexpr double kAxisTypical = 0.01;             // of q
constexpr double kAxisWorst = 0.03;               // of q
constexpr double kAxisShareBeyondTypical = 0.01;  // of the axis rows
// Within the near-surface zone both chains stop at m near 150, at different
// ends, where the integrands of SigmaR and SigmaT take the same large-m
// form (t - 1 + 2 mu) exp(-t) J1(m), t = zeta m: the gap gains the integral
// of that over at most a part-oscillation, bounded by twice its amplitude,
// |J1(m)| <= sqrt(2/(pi m)). Measured: at most 1 % of q plus 0.37 of that.
double near_surface_truncation(double zeta, double mu) {
  const double M = kSurfaceParameterLimit;
  const double t = M * zeta;
  return 2.0 * std::sqrt(2.0 / (std::numbers::pi * M)) * std::fabs(t - 1.0 + 2.0 * mu) *
         std::exp(-t);
}
// Interface: both rows integrate over the same nodes, and at every node the
// bonded interface makes the two layers' brackets equal up to the rounding
// of their constants, so the rows differ by the rounding of the single-
// precision integrand values and sums. Measured: SigmaZ and TaoRZ within
// 2.3e-6 q.
constexpr double kInterfaceStress = 1e-5;  // of q
// DispZ and the strains: relative to their own size, with a floor for values
// far below their scale (far off the load, or where a strain changes sign),
// since the rounding of the sums is relative to the size of the integrands,
// which the softer layer sets: q a/E_min and q/E_min. Measured: DispZ beyond
// 1e-5 of itself by at most 2.8e-8 q a/E_min (and never beyond 1.5e-4 of
// itself); epT and epR beyond 1e-4 of themselves by at most 4.4e-7 q/E_min.
constexpr double kDispRelative = 1e-5;
constexpr double kDispFloor = 2e-7;  // of q a/E_min
constexpr double kStrainRelative = 1e-4;
constexpr double kStrainFloor = 3e-6;  // of q/E_min

// The shortest text that reads back as the same float.
std::string text_of(float value) { return shortest_text(value); }

// Uniform on (0, 1) from one 32-bit draw.
double unit(std::mt19937& bits) { return (static_cast<double>(bits()) + 0.5) / 4294967296.0; }
double uniform(std::mt19937& bits, double lo, double hi) { return lo + (hi - lo) * unit(bits); }
double log_uniform(std::mt19937& bits, double lo, double hi) {
  return std::exp(uniform(bits, std::log(lo), std::log(hi)));
}
int choice(std::mt19937& bits, int count) {
  return static_cast<int>(bits() % static_cast<std::uint32_t>(count));
}

struct Point {
  float Z = 0.0f;
  float R = 0.0f;
  bool on_interface = false;
};

struct Pavement {
  std::uint32_t seed = 0;
  LayerSystem layers;
  float P = 0.0f;
  float q = 0.0f;
  float a = 0.0f;
  std::vector<Point> points;
};

// Depth of the bottom of each layer above the half-space, summed as the
// layer search sums it: D = D + H(k) in single precision.
std::vector<float> interface_depths(const LayerSystem& layers) {
  std::vector<float> depths;
  float D = 0.0f;
  for (int k = 0; k < layers.n - 1; ++k) {
    D = D + layers.H[k];
    depths.push_back(D);
  }
  return depths;
}

// One random valid pavement: n 2..5; moduli 20..20000 MPa, log-uniform, each
// within a factor 1000 of the one above; Poisson's ratios 0.15..0.5 (exactly
// 0.5, incompressible, one time in ten); thicknesses 20..600 mm,
// log-uniform so that thin layers are common; loads 10..60 kN; pressures
// 0.4..1.2 MPa. Points: one in eight at the surface, one in four exactly on
// an interface (any the program accepts, down to 15 contact radii), the rest
// at depths up to 10 radii, half of them log-uniform within one radius of
// the surface; one in four on the axis, the rest up to 10 radii off it, and
// for a dual wheel now and then midway between the wheels or under the
// second one. The points stop before one pass would need more than
// `rows_per_pass` rows.
Pavement random_pavement(std::uint32_t seed, int rows_per_pass, bool dual) {
  std::mt19937 bits(seed);
  Pavement p;
  p.seed = seed;
  LayerSystem& s = p.layers;
  s.n = 2 + choice(bits, 4);
  for (int k = 0; k < s.n; ++k) {
    const double lo = k == 0 ? 20.0 : std::max(20.0, double{s.E[k - 1]} / 1000.0);
    const double hi = k == 0 ? 20000.0 : std::min(20000.0, double{s.E[k - 1]} * 1000.0);
    s.E[k] = static_cast<float>(log_uniform(bits, lo, hi));
    s.Mu[k] = choice(bits, 10) == 0 ? 0.5f : static_cast<float>(uniform(bits, 0.15, 0.5));
  }
  for (int k = 0; k < s.n - 1; ++k) s.H[k] = static_cast<float>(log_uniform(bits, 20.0, 600.0));
  p.P = static_cast<float>(uniform(bits, 10000.0, 60000.0));
  p.q = static_cast<float>(uniform(bits, 0.4, 1.2));
  p.a = contact_radius(p.P, p.q);

  const std::vector<float> depths = interface_depths(s);
  std::vector<float> accepted;  // deeper points inside a finite layer are refused
  for (float D : depths) {
    if (double{D} <= 15.0 * static_cast<double>(p.a)) accepted.push_back(D);
  }

  const int wanted = 3 + choice(bits, 6);
  int rows = 0;
  for (int i = 0; i < wanted; ++i) {
    Point point;
    const int depth_kind = choice(bits, 8);
    if (depth_kind == 0) {
      point.Z = 0.0f;
    } else if (depth_kind <= 2 && !accepted.empty()) {
      point.Z = accepted[choice(bits, static_cast<int>(accepted.size()))];
    } else if (depth_kind <= 5) {
      point.Z = static_cast<float>(uniform(bits, 0.0, 10.0) * double{p.a});
    } else {
      point.Z = static_cast<float>(log_uniform(bits, 0.01, 1.0) * double{p.a});
    }
    // A random depth may land on an interface too.
    point.on_interface = std::find(depths.begin(), depths.end(), point.Z) != depths.end();
    const int offset_kind = choice(bits, 8);
    if (offset_kind <= 1) {
      point.R = 0.0f;
    } else if (dual && offset_kind == 2) {
      point.R = choice(bits, 2) == 0 ? kDualWheelSpacing : kDualWheelSpacing / 2;
    } else {
      point.R = static_cast<float>(uniform(bits, 0.0, 10.0) * double{p.a});
    }
    const int needed = point.on_interface ? 2 : 1;
    if (rows + needed > rows_per_pass) break;
    rows += needed;
    p.points.push_back(point);
  }
  return p;
}

std::string problem_text(const Pavement& p, const std::vector<Point>& points, int wheel_flag) {
  const LayerSystem& s = p.layers;
  std::ostringstream text;
  text << s.n << "\n";
  for (int k = 0; k < s.n; ++k) text << text_of(s.E[k]) << (k + 1 < s.n ? " " : "\n");
  for (int k = 0; k < s.n; ++k) text << text_of(s.Mu[k]) << (k + 1 < s.n ? " " : "\n");
  for (int k = 0; k < s.n - 1; ++k) text << text_of(s.H[k]) << (k + 2 < s.n ? " " : "\n");
  text << text_of(p.P) << " " << text_of(p.q) << "\n" << points.size() << "\n";
  for (const Point& point : points) text << text_of(point.Z) << " " << text_of(point.R) << "\n";
  text << wheel_flag << "\n";
  return text.str();
}

struct Outcome {
  int status = -1;
  std::string errors;
  std::string problem;
  RunRecord record;
};

Outcome run_problem(const std::string& problem) {
  InProcessRun run = run_in_process(problem, ten_point_rule_file());
  return Outcome{run.status, run.errors, problem, run.record};
}

// The worst discrepancy met for one property, with the seed that gave it.
struct Worst {
  double value = 0.0;
  std::uint32_t seed = 0;
  void see(double v, std::uint32_t s) {
    if (v > value) {
      value = v;
      seed = s;
    }
  }
};

std::ostream& operator<<(std::ostream& out, const Worst& w) {
  return out << w.value << " (seed " << w.seed << ")";
}

struct Statistics {
  int rows = 0;
  int axis_rows = 0;
  int near_surface_axis_rows = 0;
  int axis_rows_beyond_typical = 0;
  int interface_points = 0;
  Worst axis;             // |SigmaR - SigmaT| / q, below the near-surface zone
  Worst axis_near;        // the same within the zone
  Worst axis_near_share;  // within the zone: beyond 1 % of q, / truncation bound
  Worst sigma_z;          // |dSigmaZ| / q across an interface
  Worst tao_rz;           // |dTaoRZ| / q
  Worst disp_z;           // |dDispZ| / larger |DispZ|
  Worst disp_z_floor;     // |dDispZ| beyond its relative part, / (q a/E_min)
  Worst strain;           // |d eps| / larger |eps|, epT and epR
  Worst strain_floor;     // |d eps| beyond its relative part, / (q/E_min)
};

void print(const Statistics& s, const char* title) {
  std::cout << title << ": " << s.rows << " rows, " << s.axis_rows
            << " below the surface on the axis (" << s.near_surface_axis_rows
            << " within 0.045 a), " << s.interface_points << " interface points\n"
            << "  axis |SigmaR - SigmaT|/q: " << s.axis << "; within 0.045 a: " << s.axis_near
            << ", beyond 1 % of q by " << s.axis_near_share << " of the truncation bound; "
            << s.axis_rows_beyond_typical << " rows beyond 1 % of q\n"
            << "  interface |dSigmaZ|/q: " << s.sigma_z << "; |dTaoRZ|/q: " << s.tao_rz << "\n"
            << "  interface |dDispZ|/|DispZ|: " << s.disp_z << "; beyond " << kDispRelative
            << " of |DispZ|, over q a/E_min: " << s.disp_z_floor << "\n"
            << "  interface |d epT|, |d epR| over |eps|: " << s.strain << "; beyond "
            << kStrainRelative << " of |eps|, over q/E_min: " << s.strain_floor << "\n";
}

std::string where(const Pavement& p, int row, const Outcome& run) {
  std::ostringstream text;
  text << "seed " << p.seed << ", row " << row << ", problem:\n" << run.problem;
  return text.str();
}

// The rows of a single-wheel run of `points`: kinds and layers as the points
// lie; every value finite; on the axis SigmaR = SigmaT; across each
// interface the continuous quantities equal.
void check_single_wheel_rows(const Pavement& p, const std::vector<Point>& points,
                             const Outcome& run, Statistics& stats) {
  const RunRecord& r = run.record;
  const ResultTable& t = r.results;
  const double q = p.q;

  int rows = 0;
  for (const Point& point : points) {
    ++rows;
    ASSERT_LE(rows + (point.on_interface ? 1 : 0), r.rows_printed) << where(p, rows, run);
    EXPECT_EQ(r.kinds[rows - 1], kOrdinaryRow) << where(p, rows, run);
    EXPECT_EQ(t.at(rows, kColZ), point.Z) << where(p, rows, run);
    EXPECT_EQ(t.at(rows, kColR), point.R) << where(p, rows, run);
    if (point.on_interface) {
      ++rows;
      EXPECT_EQ(r.kinds[rows - 1], kInterfaceRow) << where(p, rows, run);
      EXPECT_EQ(r.layers[rows - 1], r.layers[rows - 2] + 1) << where(p, rows, run);
    }
  }
  EXPECT_EQ(rows, r.rows_printed) << where(p, rows, run);
  stats.rows += r.rows_printed;

  for (int row = 1; row <= r.rows_printed; ++row) {
    for (int column = kColZ; column <= kColEpR; ++column) {
      EXPECT_TRUE(std::isfinite(t.at(row, column)))
          << "column " << column << ", " << where(p, row, run);
    }

    // The depth in contact radii as the integration forms it.
    const float zeta = t.at(row, kColZ) / p.a;
    if (t.at(row, kColR) == 0.0f && zeta > 0.0f) {
      ++stats.axis_rows;
      const double gap = std::fabs(double{t.at(row, kColSigmaR)} - double{t.at(row, kColSigmaT)});
      double truncation = 0.0;
      if (zeta > kNearSurfaceZeta) {
        stats.axis.see(gap / q, p.seed);
      } else {
        ++stats.near_surface_axis_rows;
        truncation = q * near_surface_truncation(zeta, p.layers.Mu[r.layers[row - 1] - 1]);
        stats.axis_near.see(gap / q, p.seed);
        stats.axis_near_share.see((gap - kAxisTypical * q) / truncation, p.seed);
      }
      if (gap > kAxisTypical * q + truncation) ++stats.axis_rows_beyond_typical;
      EXPECT_LE(gap, kAxisWorst * q + truncation)
          << "SigmaR " << t.at(row, kColSigmaR) << ", SigmaT " << t.at(row, kColSigmaT) << ", "
          << where(p, row, run);
    }

    if (r.kinds[row - 1] != kInterfaceRow) continue;
    ++stats.interface_points;
    const int up = row - 1;
    const int L = r.layers[up - 1];
    const double E_min = std::min(p.layers.E[L - 1], p.layers.E[L]);
    auto gap = [&](int column) { return std::fabs(double{t.at(up, column)} - double{t.at(row, column)});
    };
    auto larger = [&](int column) {
      return std::max(std::fabs(double{t.at(up, column)}), std::fabs(double{t.at(row, column)}));
    };
    auto both = [&](int column) {
      std::ostringstream text;
      text << "column " << column << ": " << t.at(up, column) << " above, " << t.at(row, column)
           << " below, " << where(p, row, run);
      return text.str();
    };
    stats.sigma_z.see(gap(kColSigmaZ) / q, p.seed);
    stats.tao_rz.see(gap(kColTaoRZ) / q, p.seed);
    EXPECT_LE(gap(kColSigmaZ), kInterfaceStress * q) << both(kColSigmaZ);
    EXPECT_LE(gap(kColTaoRZ), kInterfaceStress * q) << both(kColTaoRZ);

    const double disp_scale = q * double{p.a} / E_min;
    stats.disp_z.see(gap(kColDispZ) / larger(kColDispZ), p.seed);
    stats.disp_z_floor.see((gap(kColDispZ) - kDispRelative * larger(kColDispZ)) / disp_scale,
                           p.seed);
    EXPECT_LE(gap(kColDispZ), kDispRelative * larger(kColDispZ) + kDispFloor * disp_scale)
        << both(kColDispZ);

    const double strain_scale = q / E_min;
    for (int column : {kColEpT, kColEpR}) {
      stats.strain.see(gap(column) / larger(column), p.seed);
      stats.strain_floor.see((gap(column) - kStrainRelative * larger(column)) / strain_scale,
                             p.seed);
      EXPECT_LE(gap(column), kStrainRelative * larger(column) + kStrainFloor * strain_scale)
          << both(column);
    }
  }
}

// Beyond 1 % of q only as rarely as the measured tail allows.
void check_axis_tail(const Statistics& stats) {
  EXPECT_LE(stats.axis_rows_beyond_typical, kAxisShareBeyondTypical * stats.axis_rows)
      << "of " << stats.axis_rows << " axis rows";
}

TEST(RandomPavements, SingleWheelRowsAreFiniteAxisymmetricAndContinuousAtInterfaces) {
  Statistics stats;
  for (int i = 0; i < single_wheel_problems(); ++i) {
    const Pavement p = random_pavement(kSingleWheelSeeds + i, kMaxResultRows, false);
    const Outcome run = run_problem(problem_text(p, p.points, 1));
    ASSERT_EQ(run.status, 0) << run.errors << where(p, 0, run);
    EXPECT_EQ(run.errors, "") << where(p, 0, run);
    check_single_wheel_rows(p, p.points, run, stats);
  }
  check_axis_tail(stats);
  print(stats, "single wheel");
}

TEST(RandomPavements, DualWheelRowsAreTheSumOfTheTwoWheelsRows) {
  Statistics stats;
  for (int i = 0; i < dual_wheel_problems(); ++i) {
    const Pavement p = random_pavement(kDualWheelSeeds + i, kMaxResultRows / 2, true);
    // The points as the second wheel sees them, offsets formed as the dual
    // run forms them, after the points themselves: a single-wheel run of
    // these gives the first wheel's rows, then the second wheel's, in the
    // pattern of the dual run's two passes.
    std::vector<Point> both_wheels = p.points;
    for (const Point& point : p.points) {
      Point seen_from_second = point;
      seen_from_second.R = distance_from_second_wheel(point.R);
      both_wheels.push_back(seen_from_second);
    }
    const Outcome dual = run_problem(problem_text(p, p.points, 2));
    const Outcome single = run_problem(problem_text(p, both_wheels, 1));
    ASSERT_EQ(dual.status, 0) << dual.errors << where(p, 0, dual);
    ASSERT_EQ(single.status, 0) << single.errors << where(p, 0, single);
    EXPECT_EQ(dual.errors, "") << where(p, 0, dual);
    check_single_wheel_rows(p, both_wheels, single, stats);

    const int half = single.record.rows_printed / 2;
    ASSERT_EQ(dual.record.rows_printed, half) << where(p, 0, dual);
    const ResultTable& d = dual.record.results;
    const ResultTable& s = single.record.results;
    for (int row = 1; row <= half; ++row) {
      EXPECT_EQ(dual.record.kinds[row - 1], single.record.kinds[row - 1]) << where(p, row, dual);
      EXPECT_EQ(dual.record.layers[row - 1], single.record.layers[row - 1]) << where(p, row, dual);
      EXPECT_EQ(d.at(row, kColZ), s.at(row, kColZ)) << where(p, row, dual);
      EXPECT_EQ(d.at(row, kColR), s.at(row, kColR)) << where(p, row, dual);
      for (int column = kColSigmaZ; column <= kColEpR; ++column) {
        // The dual run adds the two rows in single precision, and a row
        // depends on nothing but its point: the same addition here is exact.
        const float sum = s.at(row, column) + s.at(half + row, column);
        EXPECT_EQ(d.at(row, column), sum) << "column " << column << ", " << where(p, row, dual);
        EXPECT_TRUE(std::isfinite(d.at(row, column)))
            << "column " << column << ", " << where(p, row, dual);
      }
    }
  }
  check_axis_tail(stats);
  print(stats, "dual wheel");
}

}  // namespace
}  // namespace kestral::testing
