#include "multilayer/kronrod_rule.h"

#include <algorithm>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <cfloat>
#include <cmath>

namespace kestral::multilayer {
namespace {

KronrodRule make_rule() {
  using Kronrod = boost::math::quadrature::gauss_kronrod<double, kKronrodNodes>;
  using Gauss = boost::math::quadrature::gauss<double, kGaussNodes>;
  const auto& x = Kronrod::abscissa();  // 0 first, then ascending
  const auto& wk = Kronrod::weights();
  const auto& xg = Gauss::abscissa();
  const auto& wg = Gauss::weights();
  KronrodRule rule;
  const int centre = kKronrodNodes / 2;
  for (int i = 0; i <= centre; ++i) {
    double gauss = 0.0;
    for (std::size_t j = 0; j < xg.size(); ++j) {
      if (std::fabs(xg[j] - x[static_cast<std::size_t>(i)]) < 1e-15) gauss = wg[j];
    }
    const auto k = static_cast<std::size_t>(i);
    rule.node[static_cast<std::size_t>(centre + i)] = x[k];
    rule.node[static_cast<std::size_t>(centre - i)] = -x[k];
    rule.kronrod_weight[static_cast<std::size_t>(centre + i)] = wk[k];
    rule.kronrod_weight[static_cast<std::size_t>(centre - i)] = wk[k];
    rule.gauss_weight[static_cast<std::size_t>(centre + i)] = gauss;
    rule.gauss_weight[static_cast<std::size_t>(centre - i)] = gauss;
  }
  return rule;
}

}  // namespace

const KronrodRule& kronrod_rule() {
  static const KronrodRule rule = make_rule();
  return rule;
}

double kronrod_error(double kronrod, double gauss, double resasc, double resabs) {
  double error = std::fabs(kronrod - gauss);
  if (resasc != 0.0 && error != 0.0) {
    const double ratio = std::min(1.0, 200.0 * error / resasc);
    error = resasc * ratio * std::sqrt(ratio);  // ratio^1.5, without pow's cost
  }
  return std::max(error, 50.0 * DBL_EPSILON * resabs);
}

}  // namespace kestral::multilayer
