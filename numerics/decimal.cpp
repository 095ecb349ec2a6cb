#include "numerics/decimal.hpp"

#include <cstdlib>
#include <string>

namespace numerics {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_exponent_letter(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
}

// The text the C library reads: the mantissa, then "e" and the exponent.
std::string c_text(const Decimal& number) {
  std::string text(number.mantissa);
  if (number.has_exponent) {
    text += 'e';
    text += number.exponent;
  }
  return text;
}

}  // namespace

std::optional<Decimal> parse_decimal(std::string_view text) {
  Decimal number;
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && is_digit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    number.has_point = true;
    ++i;
    while (i < n && is_digit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  number.mantissa = text.substr(0, i);
  if (i < n && is_exponent_letter(text[i])) {
    number.has_exponent = true;
    const std::size_t start = ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < n && is_digit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return std::nullopt;
    number.exponent = text.substr(start, i - start);
  }
  if (i != n) return std::nullopt;
  return number;
}

float nearest_float(const Decimal& number) { return std::strtof(c_text(number).c_str(), nullptr); }

double nearest_double(const Decimal& number) { return std::strtod(c_text(number).c_str(), nullptr); }

}  // namespace numerics
