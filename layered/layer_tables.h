// Fixed-capacity tables of the layered system.
//
// Tables are held 0-based in C++: entry k of a formula (k = 1..n) is element
// k - 1 of the array.
#pragma once

#include <array>

namespace kestral {

// Capacity of the E, Mu and H tables (the problem file's tables).
inline constexpr int kLayerTableCapacity = 10;
// The layered solution provides for at most four interfaces.
inline constexpr int kMaxLayers = 5;
inline constexpr int kMinLayers = 2;

// E(1..n) in MPa, Mu(1..n), or H(1..n-1) in mm.
using LayerTable = std::array<float, kLayerTableCapacity>;

// One of A, B, C or D: the integration constant of each layer for one m.
using ConstantsTable = std::array<float, kMaxLayers>;

// Interface condition passed on every call: fully bonded interfaces.
inline constexpr int kBondedInterfaces = 2;

}  // namespace kestral
