#include "format/format.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace kestral {
namespace {

// The exact decimal value of a finite, non-zero float: value = 0.d1 d2 d3 ...
// times 10^exponent, d1 != 0. A float has at most 112 significant decimal
// digits, so the 120 printed here are the whole expansion.
struct ExactDecimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

ExactDecimal exact_decimal(float value) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "%.120e", static_cast<double>(std::fabs(value)));
  ExactDecimal out;
  out.negative = std::signbit(value);
  std::string text(buffer);
  const auto e_pos = text.find('e');
  out.digits = text.substr(0, 1) + text.substr(2, e_pos - 2);
  out.exponent = std::stoi(text.substr(e_pos + 1)) + 1;
  return out;
}

// Keeps `count` leading digits (count >= 0), rounding half away from zero;
// a carry out of the first digit raises the exponent. With count 0 the
// result is "1" one place up when the first dropped digit is 5 or more,
// otherwise empty (the value rounds to zero).
void round_digits(ExactDecimal& number, int count) {
  if (count >= static_cast<int>(number.digits.size())) {
    number.digits.append(count - number.digits.size(), '0');
    return;
  }
  const bool round_up = number.digits[count] >= '5';
  number.digits.resize(count);
  if (!round_up) return;
  int i = count - 1;
  while (i >= 0 && number.digits[i] == '9') number.digits[i--] = '0';
  if (i >= 0) {
    ++number.digits[i];
  } else {
    number.digits.assign(count > 0 ? count : 1, '0');
    number.digits[0] = '1';
    ++number.exponent;
  }
}

bool is_zero_digits(const std::string& digits) {
  return digits.find_first_not_of('0') == std::string::npos;
}

std::string right_justify(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

std::string non_finite_text(float value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Infinity" : "Infinity";
}

std::string two_digit_exponent(int exponent) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return buffer;
}

}  // namespace

std::string format_fixed(float value, int width, int decimals) {
  if (!std::isfinite(value)) return right_justify(non_finite_text(value), width);
  std::string integer_part;
  std::string fraction;
  bool negative = false;
  if (value != 0.0f) {
    ExactDecimal number = exact_decimal(value);
    negative = number.negative;
    const int keep = number.exponent + decimals;
    if (keep < 0) {
      number.digits.clear();
    } else {
      round_digits(number, keep);
    }
    // Place the kept digits around the decimal point.
    const int integer_digits = number.exponent;
    std::string all = number.digits;
    if (integer_digits > 0) {
      integer_part = all.substr(0, integer_digits);
      fraction = all.substr(integer_digits);
    } else {
      fraction = std::string(-integer_digits, '0') + all;
    }
    fraction.resize(decimals, '0');
    if (is_zero_digits(integer_part) && !integer_part.empty()) integer_part.clear();
  } else {
    fraction.assign(decimals, '0');
  }
  const std::string sign = negative ? "-" : "";
  std::string text = sign + integer_part + "." + fraction;
  if (integer_part.empty() && static_cast<int>(text.size()) < width) {
    text = sign + "0." + fraction;
  }
  return right_justify(text, width);
}

std::string format_scientific_11_4(float value) {
  if (!std::isfinite(value)) return right_justify(non_finite_text(value), 11);
  if (value == 0.0f) return " 0.0000E+00";
  ExactDecimal number = exact_decimal(value);
  round_digits(number, 4);
  return std::string(number.negative ? "-" : " ") + "0." + number.digits + "E" +
         two_digit_exponent(number.exponent);
}

std::string format_integer(int value, int width) {
  return right_justify(std::to_string(value), width);
}

std::string format_free_real(float value) {
  if (!std::isfinite(value)) return right_justify(non_finite_text(value), 15);
  const float magnitude = std::fabs(value);
  if (magnitude >= 0.1f && magnitude < 1.0e7f) {
    ExactDecimal number = exact_decimal(value);
    round_digits(number, 7);
    if (number.exponent <= 7) {
      // 0.1 <= |x| < 1 keeps exponent 0: "0." and seven digits.
      const int integer_digits = number.exponent;
      std::string text = number.negative ? "-" : "";
      if (integer_digits <= 0) {
        text += "0." + number.digits;
      } else {
        text += number.digits.substr(0, integer_digits) + "." + number.digits.substr(integer_digits);
      }
      return right_justify(text, 11) + "    ";
    }
    // Rounded up to 10 000 000: falls through to the scientific form.
  }
  std::string text;
  if (value == 0.0f) {
    text = "0.0000000E+00";
  } else {
    ExactDecimal number = exact_decimal(value);
    round_digits(number, 8);
    text = std::string(number.negative ? "-" : "") + number.digits.substr(0, 1) + "." +
           number.digits.substr(1) + "E" + two_digit_exponent(number.exponent - 1);
  }
  return right_justify(text, 15);
}

FreeFormatLine& FreeFormatLine::text(std::string_view item) {
  if (after_real_) line_ += ' ';
  line_ += item;
  after_real_ = false;
  return *this;
}

FreeFormatLine& FreeFormatLine::real(float item) {
  line_ += format_free_real(item);
  after_real_ = true;
  return *this;
}

}  // namespace kestral
