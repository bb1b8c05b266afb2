#pragma once

#include "driver/problem_input.h"

namespace kestral {

// Where a depth lies in the layer system.
struct LayerOfDepth {
  int layer = 1;              // L, 1..n
  bool on_interface = false;  // on the bottom face of layer L: a second row below
};

// Finds the layer of depth Zc (>= 0, mm). Cumulative depths D are summed in
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
