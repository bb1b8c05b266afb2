// Every field of a list of rows as the bits of its doubles, for comparisons
// that must be exact (== would let -0 pass for +0 and miss NaN).
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "multilayer/analysis.h"

namespace kestral::multilayer {

inline std::vector<std::uint64_t> result_bits(const std::vector<Result>& rows) {
  std::vector<std::uint64_t> out;
  for (const Result& r : rows) {
    const double values[] = {r.stress.xx, r.stress.yy, r.stress.zz, r.stress.xy, r.stress.yz, r.stress.xz,
                             r.displacement.x, r.displacement.y, r.displacement.z, r.strain.xx, r.strain.yy,
                             r.strain.zz, r.strain.xy, r.strain.yz, r.strain.xz, r.principal_stress.x,
                             r.principal_stress.y, r.principal_stress.z, r.principal_strain.x, r.principal_strain.y,
                             r.principal_strain.z, r.horizontal_strain_max, r.stress_error, r.displacement_error,
                             r.strain_error};
    for (double v : values) out.push_back(std::bit_cast<std::uint64_t>(v));
    out.push_back(r.point);
    out.push_back(static_cast<std::uint64_t>(r.face));
    out.push_back(static_cast<std::uint64_t>(r.layer));
  }
  return out;
}

}  // namespace kestral::multilayer
