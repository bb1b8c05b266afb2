// Walking the lines of a text.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestral {

// Calls `line` with each line of `text` (without its line end); a last line
// without a line end counts as a line.
template <typename Visitor>
void for_each_line(std::string_view text, Visitor&& line) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      line(text);
      return;
    }
    line(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
}

}  // namespace kestral
