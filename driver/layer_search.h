#pragma once

#include "driver/problem_input.h"

namespace kestral {

// Where a depth lies in the layer system.
struct LayerOfDepth {
  int layer = 1;              // L, 1..n
  bool on_interface = false;  // on the bottom face of layer L: a second row below
};

// Finds the layer of depth Zc (>= 0, mm).
//
// A point typed at an interface depth lies on that interface: its depth
// reads as the same float as the decimal sum of the thicknesses above it as
// typed (their shortest decimal forms, summed in double and rounded once to
// float), or equals their float sum D. Both rows are then evaluated at Zc,
// in the layer above and in the layer below. (Thicknesses 144.82 and 95.3
// sum in float to 240.12001, yet 240.12 is the depth a user types; a point
// typed 0.30000004 under a layer of 0.3 lies below it.) The first interface
// that matches, from the top, counts.
//
// Otherwise: cumulative depths D are summed in
// single precision; a point belongs to the layer whose top lies strictly
// above it and whose bottom lies at or below it, with the top D - H(k)
// formed from the single-precision values without further rounding. Zc = 0
// is in layer 1; below the last interface is the half-space. A point exactly
// on a bottom face (D == Zc) is an interface point.
//
// A point a rounding step below an interface can fail every test (the
// rounded top of the next layer lies above it while it lies below the
// rounded bottom of the layer above); it is placed, as an ordinary point, in
// the first layer whose rounded bottom lies at or below it.
LayerOfDepth layer_of_depth(const LayerSystem& layers, float Zc);

}  // namespace kestral
