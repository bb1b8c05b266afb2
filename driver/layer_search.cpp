#include "driver/layer_search.h"

#include "format/shortest_text.h"

namespace kestral {

LayerOfDepth layer_of_depth(const LayerSystem& layers, float Zc) {
  const int n = layers.n;
  if (Zc != 0.0f) {
    float float_sum = 0.0f;
    double typed_sum = 0.0;
    for (int k = 1; k <= n - 1; ++k) {
      float_sum = float_sum + layers.H[k - 1];
      typed_sum += typed_double(layers.H[k - 1]);
      if (Zc == float_sum || Zc == static_cast<float>(typed_sum)) return LayerOfDepth{k, true};
    }
  }
  float D = 0.0f;
  int found = 0;
  for (int k = 1; k <= n - 1; ++k) {
    const float H = layers.H[k - 1];
    D = D + H;
    const double top = static_cast<double>(D) - static_cast<double>(H);
    if (Zc <= D && top < static_cast<double>(Zc)) {
      found = k;
      break;
    }
  }
  LayerOfDepth result;
  if (found != 0) {
    result.layer = found;
    result.on_interface = (D == Zc);
  } else if (Zc > D) {
    result.layer = n;  // the half-space; never an interface point
  } else if (Zc != 0.0f) {
    float bottom = 0.0f;
    int k = 1;
    for (; k <= n - 1; ++k) {
      bottom = bottom + layers.H[k - 1];
      if (bottom >= Zc) break;
    }
    result.layer = k;
  }
  if (Zc == 0.0f) result = LayerOfDepth{};
  return result;
}

}  // namespace kestral
