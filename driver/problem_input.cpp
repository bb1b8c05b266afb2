#include "driver/problem_input.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "format/shortest_text.h"

namespace kestral {
namespace {

constexpr double kMaxModulusRatio = 1.0e6;
constexpr double kMaxResultScale = 1.0e30;

[[noreturn]] void reject(const FreeFormatReader& file, const std::string& what) {
  throw InputError(file.file_name() + ": " + what);
}

}  // namespace

void read_gauss_rules(FreeFormatReader& file, GaussRules& rules) {
  for (int rule = 1; rule <= kGaussRulesRead; ++rule) {
    int order = 0;
    file.read_statement(std::array{ReadItem::integer(order)});
    if (order < 1 || order > kGaussMaxOrder) {
      reject(file, "order of rule " + std::to_string(rule) + " is " + std::to_string(order) +
                       ", must be 1 to " + std::to_string(kGaussMaxOrder));
    }
    rules.N[rule - 1] = order;
    const int base = (rule - 1) * kGaussMaxOrder;
    for (int j = 1; j <= order / 2; ++j) {
      float& x = rules.x[base + j - 1];
      float& w = rules.w[base + j - 1];
      file.read_statement(std::array{ReadItem::real(x), ReadItem::real(w)});
      // A node at or beyond the ends of [-1, 1] would put m outside its
      // interval, or at m = 0 where the layer system is singular.
      if (!(x > -1.0f && x < 1.0f)) {
        reject(file, "abscissa " + std::to_string(j) + " of rule " + std::to_string(rule) +
                         " is " + shortest_text(x) + ", must lie strictly between -1 and 1");
      }
      // The weights of a Gauss rule on [-1, 1] are positive and add up to
      // 2, so none exceeds 2; a larger one only scales the integrals, up to
      // an overflow of the results.
      if (!(w > 0.0f && w <= 2.0f)) {
        reject(file, "weight " + std::to_string(j) + " of rule " + std::to_string(rule) + " is " +
                         shortest_text(w) + ", must be above 0 and at most 2");
      }
      rules.x[base + order - j] = -x;
      rules.w[base + order - j] = w;
    }
  }
}

void read_problem_head(FreeFormatReader& file, LayerSystem& layers, WheelLoad& load) {
  int n = 0;
  file.read_statement(std::array{ReadItem::integer(n)});
  if (n < kMinLayers || n > kMaxLayers) {
    reject(file, "number of layers (item 1) is " + std::to_string(n) + ", must be " +
                     std::to_string(kMinLayers) + " to " + std::to_string(kMaxLayers));
  }
  layers.n = n;

  std::vector<ReadItem> items;
  for (int k = 0; k < n; ++k) items.push_back(ReadItem::real(layers.E[k]));
  file.read_statement(items);
  for (int k = 0; k < n; ++k) {
    if (!(layers.E[k] > 0.0f)) {
      reject(file, "modulus E(" + std::to_string(k + 1) + ") (item 2) is " + shortest_text(layers.E[k]) +
                       ", must be positive");
    }
  }

  // The layer system carries the ratio of neighbouring moduli; beyond a
  // million its solve loses the single-precision constants.
  for (int k = 0; k + 1 < n; ++k) {
    const double ratio = static_cast<double>(layers.E[k]) / static_cast<double>(layers.E[k + 1]);
    if (ratio > kMaxModulusRatio || ratio < 1.0 / kMaxModulusRatio) {
      reject(file, "moduli E(" + std::to_string(k + 1) + ") = " + shortest_text(layers.E[k]) + " and E(" +
                       std::to_string(k + 2) + ") = " + shortest_text(layers.E[k + 1]) +
                       " (item 2) differ by more than a factor of 1e6");
    }
  }

  items.clear();
  for (int k = 0; k < n; ++k) items.push_back(ReadItem::real(layers.Mu[k]));
  file.read_statement(items);
  for (int k = 0; k < n; ++k) {
    // Above 0.5 a material would have a negative bulk modulus; towards -1
    // the factor 1 + Mu that weights the displacements vanishes, and no
    // pavement material has a negative ratio.
    if (!(layers.Mu[k] >= 0.0f && layers.Mu[k] <= 0.5f)) {
      reject(file, "Poisson's ratio Mu(" + std::to_string(k + 1) + ") (item 3) is " +
                       shortest_text(layers.Mu[k]) + ", must be 0 to 0.5");
    }
  }

  items.clear();
  for (int k = 0; k < n - 1; ++k) items.push_back(ReadItem::real(layers.H[k]));
  file.read_statement(items);
  for (int k = 0; k < n - 1; ++k) {
    if (!(layers.H[k] > 0.0f)) {
      reject(file, "thickness H(" + std::to_string(k + 1) + ") (item 4) is " + shortest_text(layers.H[k]) +
                       ", must be positive");
    }
  }

  file.read_statement(std::array{ReadItem::real(load.P), ReadItem::real(load.q)});
  if (!(load.P > 0.0f)) reject(file, "load P (item 5) is " + shortest_text(load.P) + ", must be positive");
  if (!(load.q > 0.0f)) {
    reject(file, "tyre pressure q (item 5) is " + shortest_text(load.q) + ", must be positive");
  }
  load.a = contact_radius(load.P, load.q);
  if (!std::isfinite(load.a) || !(load.a > 0.0f)) {
    reject(file, "load P " + shortest_text(load.P) + " and tyre pressure q " + shortest_text(load.q) +
                     " (item 5) give a contact radius of " + shortest_text(load.a) +
                     " mm, outside single precision");
  }
  // Stresses are q times the integrals, strains q/E times them and the
  // displacement q a/E times them: all must stay far inside single
  // precision, whose range ends near 3e38.
  for (int k = 0; k < n; ++k) {
    const double strain_scale = static_cast<double>(load.q) / static_cast<double>(layers.E[k]);
    const double displacement_scale = strain_scale * static_cast<double>(load.a);
    if (static_cast<double>(load.q) > kMaxResultScale || strain_scale > kMaxResultScale ||
        displacement_scale > kMaxResultScale) {
      reject(file, "tyre pressure q = " + shortest_text(load.q) + " (item 5) against modulus E(" +
                       std::to_string(k + 1) + ") = " + shortest_text(layers.E[k]) +
                       " gives stresses, strains or displacements beyond single precision");
    }
  }
}

float contact_radius(float P, float q) {
  const double area = static_cast<double>(P) / static_cast<double>(q);
  return static_cast<float>(std::sqrt(area / std::numbers::pi));
}

void read_problem_points(FreeFormatReader& file, EvalPoints& points, WheelLoad& load) {
  int np = 0;
  file.read_statement(std::array{ReadItem::integer(np)});
  if (np < 0 || np > kMaxPoints) {
    reject(file, "number of points (item 6) is " + std::to_string(np) + ", must be 0 to " +
                     std::to_string(kMaxPoints));
  }
  points.NP = np;
  for (int i = 0; i < np; ++i) {
    file.read_statement(std::array{ReadItem::real(points.Z[i]), ReadItem::real(points.R[i])});
    const std::string which = " of point " + std::to_string(i + 1) + " (item 7) is ";
    if (!(points.Z[i] >= 0.0f)) {
      reject(file, "depth Z" + which + shortest_text(points.Z[i]) + ", must be 0 or more");
    }
    if (!(points.R[i] >= 0.0f)) {
      reject(file, "radial offset R" + which + shortest_text(points.R[i]) + ", must be 0 or more");
    }
  }
  file.read_statement(std::array{ReadItem::real(load.wheel_flag)});
}

}  // namespace kestral
