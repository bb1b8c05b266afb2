#include "driver/problem_input.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace kestral {
namespace {

std::string shown(float value) { return shortest_text(value); }

[[noreturn]] void reject(const FreeFormatReader& file, const std::string& what) {
  throw InputError(file.file_name() + ": " + what);
}

}  // namespace

std::string shortest_text(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

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
                         " is " + shown(x) + ", must lie strictly between -1 and 1");
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
      reject(file, "modulus E(" + std::to_string(k + 1) + ") (item 2) is " + shown(layers.E[k]) +
                       ", must be positive");
    }
  }

  items.clear();
  for (int k = 0; k < n; ++k) items.push_back(ReadItem::real(layers.Mu[k]));
  file.read_statement(items);
  for (int k = 0; k < n; ++k) {
    // 1 + Mu divides the modulus ratios; above 0.5 the material would have a
    // negative bulk modulus.
    if (!(layers.Mu[k] > -1.0f && layers.Mu[k] <= 0.5f)) {
      reject(file, "Poisson's ratio Mu(" + std::to_string(k + 1) + ") (item 3) is " +
                       shown(layers.Mu[k]) + ", must be above -1 and at most 0.5");
    }
  }

  items.clear();
  for (int k = 0; k < n - 1; ++k) items.push_back(ReadItem::real(layers.H[k]));
  file.read_statement(items);
  for (int k = 0; k < n - 1; ++k) {
    if (!(layers.H[k] > 0.0f)) {
      reject(file, "thickness H(" + std::to_string(k + 1) + ") (item 4) is " + shown(layers.H[k]) +
                       ", must be positive");
    }
  }

  file.read_statement(std::array{ReadItem::real(load.P), ReadItem::real(load.q)});
  if (!(load.P > 0.0f)) reject(file, "load P (item 5) is " + shown(load.P) + ", must be positive");
  if (!(load.q > 0.0f)) {
    reject(file, "tyre pressure q (item 5) is " + shown(load.q) + ", must be positive");
  }
  load.a = contact_radius(load.P, load.q);
  if (!std::isfinite(load.a) || !(load.a > 0.0f)) {
    reject(file, "load P " + shown(load.P) + " and tyre pressure q " + shown(load.q) +
                     " (item 5) give a contact radius of " + shown(load.a) +
                     " mm, outside single precision");
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
      reject(file, "depth Z" + which + shown(points.Z[i]) + ", must be 0 or more");
    }
    if (!(points.R[i] >= 0.0f)) {
      reject(file, "radial offset R" + which + shown(points.R[i]) + ", must be 0 or more");
    }
  }
  file.read_statement(std::array{ReadItem::real(load.wheel_flag)});
}

}  // namespace kestral
