// The shortest text of a number: what the messages and the tables show.
#include "format/shortest_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace kestral {
namespace {

TEST(ShortestText, ShowsTheValueAsTypedWhereAFloatHoldsIt) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.6f, "0.6"},         {0.35f, "0.35"},          {12.7f, "12.7"},
      {1.0000001f, "1.0000001"}, {1.0f, "1"},         {-5.0f, "-5"},
      {3e10f, "3e+10"},      {1e-38f, "1e-38"},        {0.0f, "0"},
      {-0.0f, "-0"},         {std::numeric_limits<float>::infinity(), "inf"},
      {std::numeric_limits<float>::denorm_min(), "1e-45"},
  };
  for (const auto& c : cases) EXPECT_EQ(shortest_text(c.value), c.text);
  EXPECT_EQ(shortest_text(std::numeric_limits<float>::quiet_NaN()), "nan");
  EXPECT_EQ(shortest_text(-std::numeric_limits<float>::quiet_NaN()), "nan");
}

TEST(ShortestText, ShowsADoubleAsTyped) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.1, "0.1"},      {0.5000001, "0.5000001"}, {3000.0, "3000"},
      {1e-08, "1e-08"},  {2e12, "2e+12"},          {-1.5e12, "-1.5e+12"},
      {1e100, "1e+100"}, {-0.0, "-0"},             {5e-324, "5e-324"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan"},
      {-std::numeric_limits<double>::quiet_NaN(), "nan"},
  };
  for (const auto& c : cases) EXPECT_EQ(shortest_text(c.value), c.text);
  for (double v : {0.1, 1e-300, 123456789.125, -0.0, 5e-324, 0.6000000000000001}) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(std::strtod(shortest_text(v).c_str(), nullptr)), std::bit_cast<std::uint64_t>(v));
  }
}

TEST(ShortestText, ReadsBackAsTheSameFloat) {
  // Random bit patterns over the whole finite range, both signs.
  std::mt19937 generator(13);
  std::uniform_int_distribution<std::uint32_t> bits(0, 0xFFFFFFFFu);
  int checked = 0;
  while (checked < 20000) {
    const float value = std::bit_cast<float>(bits(generator));
    if (!std::isfinite(value)) continue;
    const std::string text = shortest_text(value);
    float back = 0.0f;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(value)) << text;
    ++checked;
  }
}

}  // namespace
}  // namespace kestral
