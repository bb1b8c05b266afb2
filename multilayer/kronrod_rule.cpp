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
  using Gauss = boost::math::quadrature::gauss<double, 7>;
  const auto& x = Kronrod::abscissa();  // 0 first, then ascending
  const auto& wk = Kronrod::weights();
  const auto& wg = Gauss::weights();    // at Kronrod abscissae 0, 2, 4, 6
  KronrodRule rule;
  const int centre = kKronrodNodes / 2;
  for (int i = 0; i <= centre; ++i) {
    const double gauss = i % 2 == 0 ? wg[static_cast<std::size_t>(i / 2)] : 0.0;
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
  if (resasc != 0.0 && error != 0.0) error = resasc * std::min(1.0, std::pow(200.0 * error / resasc, 1.5));
  return std::max(error, 50.0 * DBL_EPSILON * resabs);
}

}  // namespace kestral::multilayer
