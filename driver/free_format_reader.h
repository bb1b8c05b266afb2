// List-directed ("free-format") reading of the two input files.
//
// Each read statement starts at the beginning of the next line; values are
// separated by blanks, tabs, a comma or line ends and may run on over several
// lines; whatever follows a statement's last value on its line is skipped,
// so lines may carry trailing remarks. Integers are written as integers;
// reals with or without a decimal point and exponent (E or D).
//
// Not supported, and reported as syntax errors: null values (two commas with
// nothing between them, or a comma before the first value), repeat counts
// ("3*0.35") and the slash that ends a statement early.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestral {

// A failure while reading an input file, or input outside what the program
// computes; the message is the whole diagnostic line.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value of a read statement and where it goes.
struct ReadItem {
  enum class Kind { kInteger, kReal };
  Kind kind;
  void* destination;

  static ReadItem integer(int& target) { return {Kind::kInteger, &target}; }
  static ReadItem real(float& target) { return {Kind::kReal, &target}; }
};

class FreeFormatReader {
 public:
  // `content` is the whole file; `unit` and `file_name` name it in the
  // diagnostics ("end-of-file during read, unit 1, file KESTRAL.in").
  FreeFormatReader(std::string content, int unit, std::string file_name);

  // Reads one statement: the items in order, then skips the rest of the line
  // of the last item. Throws InputError with the end-of-file, syntax or
  // conversion diagnostic; items already read keep their new values.
  void read_statement(std::span<const ReadItem> items);

  const std::string& file_name() const { return file_name_; }

 private:
  std::string_view next_value(bool first);
  [[noreturn]] void fail(std::string_view what) const;

  std::string content_;
  int unit_;
  std::string file_name_;
  std::size_t position_ = 0;
};

// Conversion of one value; false when the text is not a value of the type
// (or lies outside the range of a 4-byte integer or a finite float).
bool parse_integer(std::string_view text, int& value);
bool parse_real(std::string_view text, float& value);

}  // namespace kestral
