// The layer constants: a homogeneous stack is the half-space in closed form;
// the surface and every interface condition hold when rebuilt from the
// constants on both faces, for m a from 1e-4 to 1e3, all interface kinds,
// thin and very thick layers and nu = 0.5; the spring's limits are the
// frictionless and the bonded interface.
#include "multilayer/layer_solve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "multilayer/layer_response.h"
#include "multilayer/scaled_section.h"

namespace kestral::multilayer {
namespace {

ScaledSection stack(const std::vector<ScaledLayer>& layers) {
  ScaledSection s;
  s.layers = layers;
  double top = 0;
  for (ScaledLayer& l : s.layers) {
    l.top = top;
    top += l.thickness;
  }
  s.layers.back().thickness = 0;
  return s;
}

ScaledLayer layer(double e, double nu, double h, InterfaceKind kind = InterfaceKind::bonded, double k = 0) {
  ScaledLayer l;
  l.modulus = e;
  l.poisson = nu;
  l.thickness = h;
  l.below = kind;
  l.spring = k;
  return l;
}

std::array<double, 4> constants_of(const std::vector<double>& c, std::size_t i) {
  return {c[4 * i], c[4 * i + 1], c[4 * i + 2], c[4 * i + 3]};
}

ModeValues at(const ScaledSection& s, const std::vector<double>& c, std::size_t i, double depth_in_layer, double m) {
  const ScaledLayer& l = s.layers[i];
  const bool half_space = i + 1 == s.size();
  LayerPlace p;
  p.m_s = m * depth_in_layer;
  p.decay_top = std::exp(-p.m_s);
  if (!half_space) {
    p.m_t = m * (l.thickness - depth_in_layer);
    p.decay_bottom = std::exp(-p.m_t);
  }
  return mode_values(constants_of(c, i), p, m, l.poisson, l.shear_modulus());
}

const std::vector<double> kParameters{1e-4, 1e-3, 1e-2, 0.1, 1.0, 3.0, 10.0, 100.0, 1e3};

TEST(LayerSolve, HomogeneousStackIsTheHalfSpace) {
  for (double nu : {0.0, 0.35, 0.5}) {
    const ScaledSection s = stack({layer(3, nu, 0.7), layer(3, nu, 1000.0), layer(3, nu, 2.0), layer(3, nu, 0)});
    for (double m : kParameters) {
      std::vector<double> c;
      solve_layer_constants(s, m, c);
      for (std::size_t i = 0; i < s.size(); ++i) {
        for (double fraction : {0.0, 0.4, 1.0}) {
          const double local = i + 1 < s.size() ? fraction * s.layers[i].thickness : fraction * 5.0;
          const double z = s.layers[i].top + local;
          const ModeValues v = at(s, c, i, local, m);
          const ModeValues h = half_space_mode_values(m, z, std::exp(-m * z), nu, s.layers[i].shear_modulus());
          // Terms of order 1 (the surface mode) rounded through a solve whose
          // rows are equilibrated; small m makes c1 and c3 of a layer nearly
          // opposite (condition ~ 1 / (m h)^2 for the thinnest layer, 2e7 at
          // m = 1e-4, h = 0.7), which costs digits of the order-1 terms only
          // (displacements carry a further 1 / m).
          const double bound = 1e-13 / std::min(1.0, std::pow(m * 0.7, 2));
          SCOPED_TRACE("nu " + std::to_string(nu) + " m " + std::to_string(m) + " layer " + std::to_string(i));
          EXPECT_NEAR(v.sigma_z, h.sigma_z, bound);
          EXPECT_NEAR(v.tau_rz, h.tau_rz, bound);
          EXPECT_NEAR(v.stress_sum, h.stress_sum, bound);
          EXPECT_NEAR(v.stress_difference, h.stress_difference, bound);
          EXPECT_NEAR(v.u_r * m, h.u_r * m, bound);
          EXPECT_NEAR(v.u_z * m, h.u_z * m, bound);
        }
      }
    }
  }
}

// The conditions of every interface from the constants, on both faces.
void expect_conditions(const ScaledSection& s, double m) {
  std::vector<double> c;
  solve_layer_constants(s, m, c);
  for (double value : c) ASSERT_TRUE(std::isfinite(value));
  const ModeValues surface = at(s, c, 0, 0.0, m);
  // Rounding of order-1 terms, amplified by at most the condition of the
  // thinnest layer at small m (see above).
  const double bound = 1e-12 / std::min(1.0, std::pow(m * 0.05, 2));
  EXPECT_NEAR(surface.sigma_z, -1.0, bound);
  EXPECT_NEAR(surface.tau_rz, 0.0, bound);
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    SCOPED_TRACE("interface " + std::to_string(i) + " m " + std::to_string(m));
    const ModeValues above = at(s, c, i, s.layers[i].thickness, m);
    const ModeValues below = at(s, c, i + 1, 0.0, m);
    EXPECT_NEAR(above.sigma_z, below.sigma_z, bound);
    EXPECT_NEAR(m * above.u_z, m * below.u_z, bound);
    switch (s.layers[i].below) {
      case InterfaceKind::bonded:
        EXPECT_NEAR(above.tau_rz, below.tau_rz, bound);
        EXPECT_NEAR(m * above.u_r, m * below.u_r, bound);
        break;
      case InterfaceKind::frictionless:
        EXPECT_NEAR(above.tau_rz, 0.0, bound);
        EXPECT_NEAR(below.tau_rz, 0.0, bound);
        break;
      case InterfaceKind::spring:
        EXPECT_NEAR(above.tau_rz, below.tau_rz, bound);
        EXPECT_NEAR(above.tau_rz, s.layers[i].spring * (below.u_r - above.u_r),
                    bound * std::max(1.0, s.layers[i].spring / m));
        break;
    }
  }
}

TEST(LayerSolve, SurfaceAndInterfaceConditionsHoldOnBothFaces) {
  const std::vector<ScaledSection> sections{
      stack({layer(50, 0.35, 1.2), layer(5, 0.35, 2.0), layer(1, 0.45, 0)}),
      stack({layer(30, 0.35, 0.5, InterfaceKind::frictionless), layer(50, 0.3, 1.5), layer(3, 0.4, 3.0),
             layer(1, 0.45, 0)}),
      stack({layer(20, 0.5, 1.0, InterfaceKind::spring, 0.7), layer(2, 0.3, 4.0, InterfaceKind::spring, 30.0),
             layer(1, 0.5, 0)}),
      stack({layer(1, 0.2, 0.05), layer(1e4, 0.25, 0.3, InterfaceKind::frictionless), layer(10, 0.4, 800.0),
             layer(2, 0.35, 0)}),
  };
  for (const ScaledSection& s : sections) {
    for (double m : kParameters) expect_conditions(s, m);
  }
}

TEST(LayerSolve, DeepThickLayersStayFiniteAndExact) {
  // m h up to 1e6: every exponential is referred to its own face.
  const ScaledSection s = stack({layer(10, 0.35, 1000.0), layer(1, 0.4, 1000.0), layer(5, 0.3, 0)});
  for (double m : {1e-4, 1.0, 1e3}) expect_conditions(s, m);
}

TEST(LayerSolve, SpringLimitsAreFrictionlessAndBonded) {
  auto with = [](InterfaceKind kind, double k) {
    return stack({layer(40, 0.35, 1.0, kind, k), layer(4, 0.4, 2.0), layer(1, 0.45, 0)});
  };
  for (double m : {0.01, 1.0, 30.0}) {
    std::vector<double> soft, loose, stiff, bonded;
    solve_layer_constants(with(InterfaceKind::spring, 1e-10), m, soft);
    solve_layer_constants(with(InterfaceKind::frictionless, 0), m, loose);
    solve_layer_constants(with(InterfaceKind::spring, 1e10), m, stiff);
    solve_layer_constants(with(InterfaceKind::bonded, 0), m, bonded);
    const auto s_soft = at(with(InterfaceKind::spring, 1e-10), soft, 1, 0.5, m);
    const auto s_loose = at(with(InterfaceKind::frictionless, 0), loose, 1, 0.5, m);
    const auto s_stiff = at(with(InterfaceKind::spring, 1e10), stiff, 1, 0.5, m);
    const auto s_bonded = at(with(InterfaceKind::bonded, 0), bonded, 1, 0.5, m);
    // The spring's departure from its limit is of order k / m (or m / k)
    // over the layers' moduli: 1e-10 here, far above rounding.
    EXPECT_NEAR(s_soft.sigma_z, s_loose.sigma_z, 1e-8);
    EXPECT_NEAR(s_soft.tau_rz, s_loose.tau_rz, 1e-8);
    EXPECT_NEAR(s_stiff.sigma_z, s_bonded.sigma_z, 1e-8);
    EXPECT_NEAR(s_stiff.tau_rz, s_bonded.tau_rz, 1e-8);
    EXPECT_NEAR(m * s_stiff.u_r, m * s_bonded.u_r, 1e-8);
    // And the spring lies strictly between the limits for a moderate k.
    std::vector<double> mid;
    solve_layer_constants(with(InterfaceKind::spring, 1.0), m, mid);
    const auto s_mid = at(with(InterfaceKind::spring, 1.0), mid, 1, 0.0, m);
    const auto s_b0 = at(with(InterfaceKind::bonded, 0), bonded, 1, 0.0, m);
    EXPECT_LE(std::fabs(s_mid.tau_rz), std::fabs(s_b0.tau_rz) + 1e-12);
  }
}

}  // namespace
}  // namespace kestral::multilayer
