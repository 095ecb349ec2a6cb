#include "text/numbers.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "horn/units.hpp"
#include "numerics/decimal.hpp"
#include "numerics/errors.hpp"

namespace text {
namespace {

numerics::Decimal decimal_of(std::string_view option, std::string_view text) {
  const auto number = numerics::parse_decimal(text);
  if (!number)
    throw numerics::InvalidRequest(std::string(option) + ": '" + shortened(text) +
                                   "' is not a number (digits, an optional point and exponent)");
  return *number;
}

template <class T>
T finite(std::string_view option, std::string_view text, T value) {
  if (!std::isfinite(value))
    throw numerics::InvalidRequest(std::string(option) + ": '" + shortened(text) + "' is too large");
  // A number that is not zero but rounds to zero: too small, not "not positive".
  const std::string_view mantissa =
      text.substr(0, text.find_first_of("eEdDqQ"));  // the grammar's exponent letters
  if (value == T(0) && mantissa.find_first_of("123456789") != std::string_view::npos)
    throw numerics::InvalidRequest(std::string(option) + ": '" + shortened(text) +
                                   "' is too small (it rounds to 0)");
  return value;
}

template <class T>
std::string shortest_text(T value) {
  if (std::isnan(value)) return "nan";
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc{} ? std::string(text, end) : std::string("nan");
}

}  // namespace

float read_float(std::string_view option, std::string_view text) {
  return finite(option, text, numerics::nearest_float(decimal_of(option, text)));
}

double read_double(std::string_view option, std::string_view text) {
  return finite(option, text, numerics::nearest_double(decimal_of(option, text)));
}

std::string shortest(float value) { return shortest_text(value); }
std::string shortest(double value) { return shortest_text(value); }

double nine_digits(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return std::strtod(text, nullptr);
}

std::string fixed(const std::optional<double>& value, int decimals) {
  if (!value || !std::isfinite(*value)) return "-";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, *value);
  return text;
}

std::string shortened(std::string_view text) {
  const std::string printable = numerics::printable(text);
  const std::string_view argument = printable;
  constexpr std::size_t limit = 80, keep = 38;
  if (argument.size() <= limit) return std::string(argument);
  // Cut between UTF-8 characters, not inside one.
  auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(argument[i]) & 0xC0) == 0x80; };
  std::size_t head = keep, tail = argument.size() - keep;
  while (head > 0 && continuation(head)) --head;
  while (tail < argument.size() && continuation(tail)) ++tail;
  return std::string(argument.substr(0, head)) + "..." + std::string(argument.substr(tail));
}

}  // namespace text

namespace text {

std::string unit_name(const horn::Horn& horn) { return std::string(horn::unit_name(horn.unit_code)); }

std::vector<std::string> unit_choices() { return {horn::unit_names.begin(), horn::unit_names.end()}; }

std::string unit_list() {
  std::string list;
  for (std::size_t i = 0; i < horn::unit_names.size(); ++i) {
    if (i > 0) list += i + 1 == horn::unit_names.size() ? " or " : ", ";
    list += horn::unit_names[i];
  }
  return list;
}

std::string horn_description(const horn::Horn& h) {
  const std::string unit = unit_name(h);
  std::string text = "aperture " + shortest(h.aperture_diameter) + " " + unit + ", slant radius " +
                     shortest(h.slant_radius) + " " + unit + ", cone angle " +
                     fixed(double(h.cone_angle), 2) + "\xC2\xB0";
  if (h.has_waveguide()) text += ", from a " + shortest(h.waveguide_diameter) + " " + unit + " waveguide";
  return text;
}

}  // namespace text
