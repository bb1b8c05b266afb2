// The problem ("KESTRAL.in") and the quadrature rules ("gauss.qua").
#pragma once

#include <array>
#include <string>

#include "driver/free_format_reader.h"
#include "format/shortest_text.h"  // for the callers that show the problem's values
#include "hankel/quadrature_table.h"
#include "layered/layer_tables.h"

namespace kestral {

inline constexpr int kMaxPoints = 50;

// n layers, the last the half-space; E(1..n) MPa, Mu(1..n), H(1..n-1) mm.
struct LayerSystem {
  int n = 0;
  LayerTable E{};
  LayerTable Mu{};
  LayerTable H{};
};

// Single-wheel load P (N), tyre pressure q (MPa), wheel flag (1 single,
// 2 dual), contact radius a (mm), derived once the problem is read.
struct WheelLoad {
  float P = 0.0f;
  float q = 0.0f;
  float wheel_flag = 0.0f;
  float a = 0.0f;
};

// Depth Z (mm, down from the surface) and radial offset R (mm, from the
// first wheel's centre) of each evaluation point, in file order.
struct EvalPoints {
  int NP = 0;
  std::array<float, kMaxPoints> Z{};
  std::array<float, kMaxPoints> R{};
};

// Rules 1 to 3 as read, completed by symmetry; rules 4 and 5 stay empty.
struct GaussRules {
  GaussNodeTable x{};
  GaussNodeTable w{};
  GaussOrderTable N{};
};

// Reads the three rules. Each order N is followed by N/2 pairs x(j), w(j);
// the mirrored node x(N+1-j) = -x(j), w(N+1-j) = w(j) is set from each pair,
// so an odd rule keeps a middle node of abscissa 0 and weight 0.
// Rejects an order outside 1..10, an abscissa outside (-1, 1) and a weight
// outside (0, 2] (a Gauss rule's weights are positive and add up to 2).
void read_gauss_rules(FreeFormatReader& file, GaussRules& rules);

// Contact radius a (mm) of a load P (N) at tyre pressure q (MPa): the radius
// of a circle of area P/q, rounded once to single precision.
float contact_radius(float P, float q);

// Items 1 to 5: n, E(1..n), Mu(1..n), H(1..n-1), then P and q. Each item is
// checked as soon as it is read, so nothing is stored beyond a table:
// E positive, neighbouring moduli within a factor of 1e6, Mu from 0 to 0.5,
// H, P and q positive, and q, q/E and q a/E far inside single precision.
// Also derives the contact radius a.
void read_problem_head(FreeFormatReader& file, LayerSystem& layers, WheelLoad& load);

// Items 6 to 8: NP, the NP points, the wheel flag.
void read_problem_points(FreeFormatReader& file, EvalPoints& points, WheelLoad& load);

}  // namespace kestral
