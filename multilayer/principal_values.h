// Principal values of a symmetric 3x3 tensor and the larger principal value
// of its horizontal 2x2 part.
#pragma once

#include "multilayer/analysis.h"

namespace kestral::multilayer {

// Eigenvalues, largest first. Method: Eigen's SelfAdjointEigenSolver
// (tridiagonalisation and implicit symmetric QR), backward stable: each value
// within a few DBL_EPSILON of the tensor's norm.
Vector3 principal_values(const SymmetricTensor& t);

// The larger eigenvalue of [[xx, xy], [xy, yy]], in closed form:
// (xx + yy) / 2 + hypot((xx - yy) / 2, xy).
double horizontal_principal_max(const SymmetricTensor& t);

}  // namespace kestral::multilayer
