#include "format/shortest_text.h"

#include <array>
#include <charconv>

namespace kestral {

std::string shortest_text(float value) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace kestral
