#include "analyse/json_document.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "analyse/problem.h"
#include "files/input_file.h"

namespace kestral::analyse {
namespace {

using nlohmann::json;

// Where the parser is: one frame per open object or array, each at the
// element it is reading now.
class PlaceTracker {
 public:
  explicit PlaceTracker(const std::string& source) : source_(source) {}

  bool on_event(json::parse_event_t event, const json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start: frames_.emplace_back(false); break;
      case json::parse_event_t::array_start: frames_.emplace_back(true); break;
      case json::parse_event_t::key: {
        Frame& object = frames_.back();
        object.key = parsed.get<std::string>();
        if (!object.keys.insert(object.key).second) {
          std::string place = path_to_top();
          if (!place.empty()) place += '.';
          place += object.key;
          throw ProblemError(source_ + ": " + place + ": given twice");
        }
        break;
      }
      case json::parse_event_t::value: next_element(); break;
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        frames_.pop_back();
        next_element();
        break;
    }
    return true;
  }

 private:
  struct Frame {
    explicit Frame(bool is_array) : array(is_array) {}
    bool array = false;
    std::size_t index = 0;
    std::string key;
    std::set<std::string> keys;
  };

  void next_element() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
  }

  // The place of the innermost open container, as `layers[1].interface_below`.
  std::string path_to_top() const {
    std::string place;
    for (std::size_t i = 0; i + 1 < frames_.size(); ++i) {
      const Frame& frame = frames_[i];
      if (frame.array) {
        place += '[';
        place += std::to_string(frame.index);
        place += ']';
      } else {
        if (!place.empty()) place += '.';
        place += frame.key;
      }
    }
    return place;
  }

  const std::string& source_;
  std::vector<Frame> frames_;
};

// "line 3, column 14" of the byte at 1-based offset `byte` (the parser's
// position: the last character it read).
std::string line_and_column(std::string_view text, std::size_t byte) {
  const std::size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
  const std::size_t line_start = text.rfind('\n', end > 0 ? end - 1 : 0);
  const std::size_t column =
      (line_start == std::string_view::npos || line == 1) ? end + 1 : end - line_start;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// nlohmann-json's explanation without its prefix
// "[json.exception.parse_error.101] parse error at line 1, column 5: ", with
// any byte outside printable ASCII (the text it last read may be broken
// UTF-8) shown as \xFF, so that the message stays one clean line.
std::string parser_explanation(const std::string& what) {
  const std::size_t column = what.find("column ");
  const std::size_t colon = what.find(": ", column == std::string::npos ? 0 : column);
  const std::string explanation = colon == std::string::npos ? what : what.substr(colon + 2);
  std::string clean;
  for (const char c : explanation) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      clean += c;
    } else {
      constexpr char kHex[] = "0123456789ABCDEF";
      clean += "\\x";
      clean += kHex[byte >> 4];
      clean += kHex[byte & 0xf];
    }
  }
  return clean;
}

}  // namespace

nlohmann::json parse_json_text(std::string_view text, const std::string& source) {
  PlaceTracker tracker(source);
  try {
    return json::parse(
        text.begin(), text.end(),
        [&tracker](int, json::parse_event_t event, json& parsed) { return tracker.on_event(event, parsed); });
  } catch (const json::parse_error& error) {
    throw ProblemError(source + ": " + line_and_column(text, error.byte) +
                       ": not valid JSON: " + parser_explanation(error.what()));
  } catch (const json::exception& error) {
    // A number beyond the range of a double: the parser gives no position.
    const std::string what = error.what();
    const std::size_t end = what.find("] ");
    throw ProblemError(source + ": not valid JSON: " + (end == std::string::npos ? what : what.substr(end + 2)));
  }
}

nlohmann::json read_json_file(const std::filesystem::path& path, const std::string& source) {
  std::string text;
  try {
    text = files::read_input_file(path, kMaxProblemFileBytes);
  } catch (const files::InputFileError& error) {
    throw ProblemError(source + ": cannot read: " + error.what());
  }
  return parse_json_text(text, source);
}

}  // namespace kestral::analyse
