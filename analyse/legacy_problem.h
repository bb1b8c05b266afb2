// A legacy problem (KESTRAL.in, with the gauss.qua beside it) as a problem
// for the general engine: the question the legacy report answers, asked
// again at full accuracy.
//
// Both files go through the legacy programs' own reader
// (driver/legacy_problem_reader.h), so every rejection has the legacy
// message (`KESTRAL.in: Poisson's ratio Mu(1) (item 3) is 0.6, must be 0 to
// 0.5`): a device, FIFO or file over 4 MiB is refused at once, and the
// quadrature rules must be Gauss-Legendre rules, though they are not used. The legacy limits of
// the solution itself (30 result rows, points within 15, 20 or 50 contact
// radii) do not apply: the general engine has no such limits.
//
// The layers are bonded; a single wheel is one load at the origin, a dual
// wheel two loads 310 mm apart along x; point (Z, R) lies at x = R, y = 0,
// z = Z. Every value is taken as typed: the shortest decimal text of the
// single-precision value read (0.35, not 0.349999994).
//
// The rows follow the legacy report: points in file order, and a point the
// legacy layer search puts on an interface gets the face above, then the face
// below (its depth is set to the interface depth as the engine sums it, so
// that both agree on the interface). Any other point is evaluated in the
// layer the legacy search gives it. A wheel flag other than 1 or 2 gives no
// loads and no points, and the legacy note in `notes`.
#pragma once

#include <filesystem>

#include "analyse/problem.h"

namespace kestral::analyse {

// Reads `problem_path` and the gauss.qua in its folder; the messages name
// them as given ("KESTRAL.in", "runs/a/gauss.qua"). Throws ProblemError.
Problem read_legacy_problem(const std::filesystem::path& problem_path);

}  // namespace kestral::analyse
