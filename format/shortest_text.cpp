#include "format/shortest_text.h"

#include <charconv>
#include <cmath>

namespace kestral {
namespace {

template <typename Real>
std::string shortest(Real value) {
  // A NaN's sign bit means nothing to a reader: one spelling.
  if (std::isnan(value)) return "nan";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string shortest_text(float value) { return shortest(value); }

std::string shortest_text(double value) { return shortest(value); }

double typed_double(float value) {
  const std::string text = shortest_text(value);
  double result = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

}  // namespace kestral
