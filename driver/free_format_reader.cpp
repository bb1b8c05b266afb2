#include "driver/free_format_reader.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kestral {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

FreeFormatReader::FreeFormatReader(std::string content, int unit, std::string file_name)
    : content_(std::move(content)), unit_(unit), file_name_(std::move(file_name)) {}

void FreeFormatReader::fail(std::string_view what) const {
  throw InputError(std::string(what) + ", unit " + std::to_string(unit_) + ", file " + file_name_);
}

std::string_view FreeFormatReader::next_value(bool first) {
  // Blanks and line ends separate values; so does one comma among them. A
  // second comma, or a comma before a statement's first value, means an
  // empty (null) value, which no item of either file may have.
  bool comma_seen = first;
  while (position_ < content_.size()) {
    const char c = content_[position_];
    if (is_blank(c)) {
      ++position_;
    } else if (c == ',') {
      if (comma_seen) fail("list-directed I/O syntax error");
      comma_seen = true;
      ++position_;
    } else {
      break;
    }
  }
  if (position_ >= content_.size()) fail("end-of-file during read");
  if (content_[position_] == '/') fail("list-directed I/O syntax error");
  const std::size_t start = position_;
  while (position_ < content_.size() && !ends_value(content_[position_])) ++position_;
  return std::string_view(content_).substr(start, position_ - start);
}

void FreeFormatReader::read_statement(std::span<const ReadItem> items) {
  bool first = true;
  for (const ReadItem& item : items) {
    const std::string_view text = next_value(first);
    first = false;
    if (text.find('*') != std::string_view::npos) fail("list-directed I/O syntax error");
    bool ok = false;
    if (item.kind == ReadItem::Kind::kInteger) {
      ok = parse_integer(text, *static_cast<int*>(item.destination));
    } else {
      ok = parse_real(text, *static_cast<float*>(item.destination));
    }
    if (!ok) fail("input conversion error");
  }
  // The rest of the line that holds the last value is a remark.
  while (position_ < content_.size() && content_[position_] != '\n') ++position_;
  if (position_ < content_.size()) ++position_;
}

bool parse_integer(std::string_view text, int& value) {
  // One optional sign, then digits only.
  const std::size_t sign = (!text.empty() && (text.front() == '+' || text.front() == '-')) ? 1 : 0;
  if (text.size() == sign) return false;
  for (std::size_t i = sign; i < text.size(); ++i) {
    if (!is_digit(text[i])) return false;
  }
  if (text.front() == '+') text.remove_prefix(1);
  int parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

bool parse_real(std::string_view text, float& value) {
  // Checked by hand first, so that only plain decimal numbers pass (no
  // "nan", "inf" or hexadecimal forms that strtof would take).
  std::string normal;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) normal += text[i++];
  int mantissa_digits = 0;
  while (i < text.size() && is_digit(text[i])) normal += text[i++], ++mantissa_digits;
  if (i < text.size() && text[i] == '.') {
    normal += text[i++];
    while (i < text.size() && is_digit(text[i])) normal += text[i++], ++mantissa_digits;
  }
  if (mantissa_digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    normal += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) normal += text[i++];
    int exponent_digits = 0;
    while (i < text.size() && is_digit(text[i])) normal += text[i++], ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (i != text.size()) return false;
  errno = 0;
  char* end = nullptr;
  const float parsed = std::strtof(normal.c_str(), &end);
  if (end != normal.c_str() + normal.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

}  // namespace kestral
