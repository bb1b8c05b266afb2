// Field writers for the report and the console.
//
// Fixed layouts (the echo, the header, the result rows) are built from
// fixed-width fields; free-format lines (the wheel line, the progress lines
// and the lines of FINAL) from a list of text and real items. Every real is
// rounded from its exact binary value to the digits shown, ties away from
// zero, so a field never depends on the C library's rounding mode.
#pragma once

#include <string>
#include <string_view>

namespace kestral {

// Fixed w.d: rounded to `decimals` places, right-justified in `width`, minus
// sign for negative values, a zero before the point when the magnitude is
// below 1 and the width leaves room; `width` asterisks when it does not fit.
std::string format_fixed(float value, int width, int decimals);

// Scientific 11.4: blank or minus, "0.", 4 significant digits, "E", exponent
// sign and two digits, e.g. " 0.1250E+02", "-0.5600E-03", " 0.0000E+00".
std::string format_scientific_11_4(float value);

// Integer right-justified in `width`; asterisks when it does not fit.
std::string format_integer(int value, int width);

// The 15-character field of one real in a free-format line: 0.1 <= |x| <
// 10 000 000 in fixed form with 7 significant digits in the first 11
// characters and 4 blanks after; otherwise (zero included) 1.2345678E+00
// form right-justified in the 15 characters.
std::string format_free_real(float value);

// A free-format line: a leading blank, then the items. A text item that
// follows a real item is preceded by one blank; a real item follows the
// previous item directly in its 15-character field.
class FreeFormatLine {
 public:
  FreeFormatLine& text(std::string_view item);
  FreeFormatLine& real(float item);
  const std::string& str() const { return line_; }

 private:
  std::string line_ = " ";
  bool after_real_ = false;
};

}  // namespace kestral
