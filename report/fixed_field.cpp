#include "report/fixed_field.hpp"

#include <charconv>
#include <cmath>
#include <string_view>

namespace report {
namespace {

void append_stars(std::string& out, int width) { out.append(static_cast<std::size_t>(width), '*'); }

// The text of a NaN or infinity, from the field's second column, blank-filled.
void append_special(std::string& out, float value, int width) {
  std::string_view text;
  if (std::isnan(value)) {
    text = "NaN";
  } else if (value > 0.0f) {
    text = width >= 9 ? "Infinity" : "Inf";
  } else {
    text = width >= 10 ? "-Infinity" : "-Inf";
  }
  if (static_cast<int>(text.size()) + 1 > width) return append_stars(out, width);
  out += ' ';
  out += text;
  out.append(static_cast<std::size_t>(width) - text.size() - 1, ' ');
}

}  // namespace

void append_fixed(std::string& out, float value, int width, int decimals) {
  if (width <= 0) return;
  if (!std::isfinite(value)) return append_special(out, value, width);

  // 39 integer digits at most for a float, plus sign, point and decimals.
  char digits[64 + 128];
  const int precision = decimals < 128 ? decimals : 128;
  auto [end, ec] =
      std::to_chars(digits, digits + sizeof digits, double(value), std::chars_format::fixed, precision);
  if (ec != std::errc{}) return append_stars(out, width);
  std::string_view text(digits, static_cast<std::size_t>(end - digits));
  std::string with_point;
  if (precision == 0) {  // Fw.0 still shows the decimal point
    with_point.assign(text);
    with_point += '.';
    text = with_point;
  }

  int length = static_cast<int>(text.size());
  const bool negative = !text.empty() && text[0] == '-';
  const std::size_t zero_at = negative ? 1 : 0;
  const bool leading_zero = text.size() > zero_at + 1 && text[zero_at] == '0' && text[zero_at + 1] == '.';
  if (length == width + 1 && leading_zero) {
    out.append(negative ? "-" : "");
    out.append(text.substr(zero_at + 1));
    return;
  }
  if (length > width) return append_stars(out, width);
  out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(text);
}

}  // namespace report
