#include "multilayer/principal_values.h"

#include <Eigen/Eigenvalues>
#include <cmath>

namespace kestral::multilayer {

Vector3 principal_values(const SymmetricTensor& t) {
  Eigen::Matrix3d m;
  m << t.xx, t.xy, t.xz, t.xy, t.yy, t.yz, t.xz, t.yz, t.zz;
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> solver(m, Eigen::EigenvaluesOnly);
  const Eigen::Vector3d& v = solver.eigenvalues();  // ascending
  return {v(2), v(1), v(0)};
}

double horizontal_principal_max(const SymmetricTensor& t) {
  return (t.xx + t.yy) / 2.0 + std::hypot((t.xx - t.yy) / 2.0, t.xy);
}

}  // namespace kestral::multilayer
