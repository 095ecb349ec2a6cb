// The one grammar of a typed number, shared by the dialogue and every
// command line: an optional sign, digits with at most one point (at least one
// digit in all), and an optional exponent: a letter E, D or Q in either case,
// an optional sign and at least one digit. Nothing else: no blanks, no
// hexadecimal, no "nan" or "inf".
#pragma once

#include <optional>
#include <string_view>

namespace numerics {

struct Decimal {
  std::string_view mantissa;  // sign, digits and point
  std::string_view exponent;  // sign and digits after the letter; empty if none
  bool has_point = false;
  bool has_exponent = false;
};

// The parts of `text`, or nothing when the whole text is not a number.
std::optional<Decimal> parse_decimal(std::string_view text);

// The float nearest to the number, in one correctly rounded step; overflow
// gives an infinity of the sign, underflow a denormal or a signed zero.
float nearest_float(const Decimal& number);
// The same for a double.
double nearest_double(const Decimal& number);

}  // namespace numerics
