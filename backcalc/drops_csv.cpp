#include "backcalc/drops_csv.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "analyse/problem.h"

namespace kestral::backcalc {
namespace {

// One line's fields; `at` is moved past the line end. Returns false when a
// quoted field is not closed before the end of the text.
bool split_line(std::string_view text, std::size_t& at, std::vector<std::string>& fields) {
  fields.assign(1, std::string());
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at++];
    if (quoted) {
      if (c != '"') {
        fields.back() += c;
      } else if (at < text.size() && text[at] == '"') {
        fields.back() += '"';
        ++at;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      break;
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return !quoted;
}

std::string_view trimmed(std::string_view field) {
  while (!field.empty() && std::isspace(static_cast<unsigned char>(field.front()))) field.remove_prefix(1);
  while (!field.empty() && std::isspace(static_cast<unsigned char>(field.back()))) field.remove_suffix(1);
  return field;
}

GivenValue given(const std::string& field) {
  const std::string_view text = trimmed(field);
  GivenValue value;
  value.text = std::string(text);
  double number = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, number);
  // The whole field must be the number, and a finite one (from_chars reads
  // "nan" and "inf" too).
  if (result.ec == std::errc() && result.ptr == end && std::isfinite(number)) {
    value.is_number = true;
    value.number = number;
  }
  return value;
}

bool blank(const std::vector<std::string>& fields) {
  return fields.size() == 1 && trimmed(fields[0]).empty();
}

}  // namespace

void read_drops_csv(std::string_view text, const std::string& source, const DropScales& scales,
                    std::vector<Drop>& drops) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  bool first = true;
  for (std::size_t line = 1; at < text.size(); ++line) {
    const std::size_t start_line = line;
    const std::size_t start = at;
    if (!split_line(text, at, fields)) {
      throw analyse::ProblemError(source + ": line " + std::to_string(start_line) + ": a quoted field is not closed");
    }
    // A quoted field may hold line feeds: count them.
    for (std::size_t i = start; i + 1 < at; ++i) line += text[i] == '\n' ? 1 : 0;
    if (blank(fields)) continue;
    const bool header = first && trimmed(fields[0]) == "id";
    first = false;
    if (header) continue;
    if (drops.size() >= kMaxDrops) {
      throw analyse::ProblemError(source + ": line " + std::to_string(start_line) + ": more than " +
                                  std::to_string(kMaxDrops) + " drops in the survey");
    }
    const std::string id(trimmed(fields[0]));
    const GivenValue load = fields.size() > 1 ? given(fields[1]) : GivenValue{false, 0.0, ""};
    std::vector<GivenValue> bowl;
    for (std::size_t i = 2; i < fields.size(); ++i) bowl.push_back(given(fields[i]));
    drops.push_back(make_drop(id, source + " line " + std::to_string(start_line), load, bowl, scales));
  }
}

}  // namespace kestral::backcalc
