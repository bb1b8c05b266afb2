// The layer of a depth: the documented cases, the point a rounding step
// below an interface, and a sweep over random layer systems against a
// simpler characterisation of the search.
#include "driver/layer_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace kestral {
namespace {

// The value as a user types it: the fewest significant digits that read
// back as the same float (found by trying 1 to 9 digits).
double as_typed(float value) {
  for (int digits = 1; digits <= 9; ++digits) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) return std::strtod(text, nullptr);
  }
  return value;
}

LayerSystem with_thicknesses(std::initializer_list<float> H) {
  LayerSystem layers;
  layers.n = static_cast<int>(H.size()) + 1;
  std::copy(H.begin(), H.end(), layers.H.begin());
  return layers;
}

TEST(LayerOfDepth, DocumentedCases) {
  // Interfaces at 100, 300 and 550 mm; the half-space is layer 4.
  const LayerSystem four = with_thicknesses({100, 200, 250});
  const LayerSystem two = with_thicknesses({200});
  const struct {
    const char* what;
    const LayerSystem& layers;
    float Z;
    int layer;
    bool on_interface;
  } cases[] = {
      {"surface", four, 0.0f, 1, false},
      {"inside layer 1", four, 50.0f, 1, false},
      {"exactly H(1)", four, 100.0f, 1, true},
      {"just below H(1)", four, std::nextafter(100.0f, 1e9f), 2, false},
      {"inside layer 2", four, 150.0f, 2, false},
      {"second interface", four, 300.0f, 2, true},
      {"inside layer 3", four, 400.0f, 3, false},
      {"exactly the last interface", four, 550.0f, 3, true},
      {"just below the last interface", four, std::nextafter(550.0f, 1e9f), 4, false},
      {"deep in the half-space", four, 1.0e6f, 4, false},
      {"two layers: surface", two, 0.0f, 1, false},
      {"two layers: on the interface", two, 200.0f, 1, true},
      {"two layers: half-space", two, 200.5f, 2, false},
  };
  for (const auto& c : cases) {
    const LayerOfDepth found = layer_of_depth(c.layers, c.Z);
    EXPECT_EQ(found.layer, c.layer) << c.what;
    EXPECT_EQ(found.on_interface, c.on_interface) << c.what;
  }
}

// Thicknesses 0.3 and 100 mm: the rounded top of layer 2, fl(0.3 + 100) -
// 100, lies above the float just above 0.3, so that point is in no layer by
// the strict-top test; it belongs in layer 2, as an ordinary point.
TEST(LayerOfDepth, PointOneRoundingStepBelowAnInterface) {
  const LayerSystem layers = with_thicknesses({0.3f, 100.0f});
  const float Z = 0.30000004f;
  ASSERT_EQ(Z, std::nextafter(0.3f, 1.0f));
  const float D2 = 0.3f + 100.0f;
  ASSERT_GE(static_cast<double>(D2) - 100.0, static_cast<double>(Z));  // the failing test
  const LayerOfDepth found = layer_of_depth(layers, Z);
  EXPECT_EQ(found.layer, 2);
  EXPECT_FALSE(found.on_interface);

  EXPECT_EQ(layer_of_depth(layers, 0.3f).layer, 1);
  EXPECT_TRUE(layer_of_depth(layers, 0.3f).on_interface);
  EXPECT_EQ(layer_of_depth(layers, D2).layer, 2);
  EXPECT_TRUE(layer_of_depth(layers, D2).on_interface);
}

// Against every depth of interest in random systems (each interface, the
// floats on either side of it, random depths), the layer is the first one
// whose bottom, the single-precision cumulative depth, lies at or below the
// point, the half-space when there is none, and layer 1 at the surface; the
// point is an interface point exactly when it equals that bottom. This holds
// while every thickness is far larger than the rounding step of the
// cumulative depths, as with 0.1 to 1000 mm layers.
TEST(LayerOfDepth, SweepOverRandomSystems) {
  std::mt19937 generator(20240611u);
  std::uniform_int_distribution<int> layer_count(2, 5);
  std::uniform_real_distribution<float> thickness(0.1f, 1000.0f);
  std::uniform_int_distribution<int> tenths(1, 10000);
  int interface_points = 0;
  for (int system = 0; system < 2000; ++system) {
    LayerSystem layers;
    layers.n = layer_count(generator);
    std::vector<float> bottoms;  // D(1..n-1), single precision
    std::vector<float> typed;    // the decimal sums of the typed thicknesses, as floats
    float D = 0.0f;
    double typed_sum = 0.0;
    for (int k = 0; k < layers.n - 1; ++k) {
      // Half the systems in whole tenths of a millimetre, as users write them.
      layers.H[k] =
          system % 2 == 0 ? thickness(generator) : static_cast<float>(tenths(generator)) / 10.0f;
      D = D + layers.H[k];
      bottoms.push_back(D);
      typed_sum += as_typed(layers.H[k]);
      typed.push_back(static_cast<float>(typed_sum));
    }
    std::vector<float> depths = {0.0f, std::nextafter(0.0f, 1.0f)};
    for (const float bottom : bottoms) {
      depths.push_back(bottom);
      depths.push_back(std::nextafter(bottom, 0.0f));
      depths.push_back(std::nextafter(bottom, 1e30f));
    }
    for (const float depth : typed) depths.push_back(depth);
    std::uniform_real_distribution<float> anywhere(0.0f, 1.2f * D);
    for (int i = 0; i < 10; ++i) depths.push_back(anywhere(generator));

    for (const float Z : depths) {
      int layer = layers.n;
      bool on_interface = false;
      for (int k = 1; k <= layers.n - 1; ++k) {
        if (bottoms[k - 1] >= Z) {
          layer = k;
          on_interface = bottoms[k - 1] == Z;
          break;
        }
      }
      // A point typed at an interface depth lies on it.
      for (int k = layers.n - 1; k >= 1; --k) {
        if (Z == bottoms[k - 1] || Z == typed[k - 1]) {
          layer = k;
          on_interface = true;
        }
      }
      if (Z == 0.0f) {
        layer = 1;
        on_interface = false;
      }

      const LayerOfDepth found = layer_of_depth(layers, Z);
      ASSERT_GE(found.layer, 1);
      ASSERT_LE(found.layer, layers.n);
      EXPECT_EQ(found.layer, layer) << "system " << system << " Z " << Z;
      EXPECT_EQ(found.on_interface, on_interface) << "system " << system << " Z " << Z;
      interface_points += found.on_interface ? 1 : 0;
    }
  }
  EXPECT_GT(interface_points, 2000);  // every system had its interfaces probed
}

// A depth typed as the decimal sum of the thicknesses is on the interface
// even where the float sum of the thicknesses rounds away from it; a point
// typed a rounding step off it is not.
TEST(LayerOfDepth, TypedInterfaceDepthIsOnTheInterface) {
  const LayerSystem three = with_thicknesses({144.82f, 95.3f});
  ASSERT_NE(144.82f + 95.3f, 240.12f);  // the float sum is 240.12001
  const LayerOfDepth typed = layer_of_depth(three, 240.12f);
  EXPECT_EQ(typed.layer, 2);
  EXPECT_TRUE(typed.on_interface);
  const LayerOfDepth summed = layer_of_depth(three, 144.82f + 95.3f);
  EXPECT_EQ(summed.layer, 2);
  EXPECT_TRUE(summed.on_interface);
  // One float step either side of the two is an ordinary point.
  const float above = std::nextafter(240.12f, 0.0f);
  const float below = std::nextafter(144.82f + 95.3f, 1e30f);
  EXPECT_FALSE(layer_of_depth(three, above).on_interface);
  EXPECT_EQ(layer_of_depth(three, above).layer, 2);
  EXPECT_FALSE(layer_of_depth(three, below).on_interface);
  EXPECT_EQ(layer_of_depth(three, below).layer, 3);

  // Over many two-decimal sections the typed depth always finds its
  // interface, and the float sum misses it in a good share of them.
  std::mt19937 generator(12u);
  std::uniform_int_distribution<int> hundredths(1, 50000);
  int float_sum_misses = 0;
  for (int trial = 0; trial < 1000; ++trial) {
    const int h1 = hundredths(generator);
    const int h2 = hundredths(generator);
    const LayerSystem layers = with_thicknesses(
        {std::strtof(std::to_string(h1 / 100.0).c_str(), nullptr),
         std::strtof(std::to_string(h2 / 100.0).c_str(), nullptr)});
    char depth[32];
    std::snprintf(depth, sizeof depth, "%d.%02d", (h1 + h2) / 100, (h1 + h2) % 100);
    const float Z = std::strtof(depth, nullptr);
    const LayerOfDepth found = layer_of_depth(layers, Z);
    EXPECT_EQ(found.layer, 2) << depth;
    EXPECT_TRUE(found.on_interface) << depth;
    float_sum_misses += layers.H[0] + layers.H[1] != Z ? 1 : 0;
  }
  EXPECT_GT(float_sum_misses, 100);
}

}  // namespace
}  // namespace kestral
