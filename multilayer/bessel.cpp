#include "multilayer/bessel.h"

#include <boost/math/special_functions/detail/bessel_j0.hpp>
#include <boost/math/special_functions/detail/bessel_j1.hpp>

namespace kestral::multilayer {

double bessel_j0(double x) { return boost::math::detail::bessel_j0(x); }
double bessel_j1(double x) { return boost::math::detail::bessel_j1(x); }

}  // namespace kestral::multilayer
