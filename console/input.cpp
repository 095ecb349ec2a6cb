#include "console/input.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "console/severe.hpp"
#include "numerics/decimal.hpp"
#include "numerics/real_to_int.hpp"

namespace console {
namespace {

constexpr int console_unit = 5;

Severe syntax_error() {
  return severe(59, "list-directed I/O syntax error, unit " + std::to_string(console_unit) + ", file stdin");
}

Severe end_of_file() {
  return severe(24, "end-of-file during read, unit " + std::to_string(console_unit) + ", file stdin");
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_separator(char c) { return is_blank(c) || c == ',' || c == '/'; }
// A number checked against the grammar, or error 59.
numerics::Decimal parse_number(std::string_view text) {
  const auto number = numerics::parse_decimal(text);
  if (!number) throw syntax_error();
  return *number;
}

// A plain integer; the most negative integer when it does not fit.
std::int32_t to_integer(std::string_view mantissa) {
  bool negative = false;
  std::size_t i = 0;
  if (mantissa[0] == '+' || mantissa[0] == '-') negative = mantissa[i++] == '-';
  std::int64_t magnitude = 0;
  constexpr std::int64_t limit = std::int64_t{1} << 31;
  for (; i < mantissa.size(); ++i) {
    magnitude = magnitude * 10 + (mantissa[i] - '0');
    if (magnitude > limit) return numerics::invalid_integer;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return numerics::invalid_integer;
  return static_cast<std::int32_t>(value);
}

void assign(const ListItem& item, const numerics::Decimal& number) {
  if (auto* const* real = std::get_if<float*>(&item)) {
    **real = numerics::nearest_float(number);
    return;
  }
  std::int32_t* integer = std::get<std::int32_t*>(item);
  if (number.has_point || number.has_exponent) {
    *integer = numerics::trunc_to_int32(double(numerics::nearest_float(number)));
  } else {
    *integer = to_integer(number.mantissa);
  }
}

// Repeat count r of "r*...": unsigned digits, at least 1 (saturated when huge).
// The count is kept in 64 bits whatever the width of size_t.
std::size_t repeat_count(std::string_view digits) {
  if (digits.empty()) throw syntax_error();
  std::uint64_t count = 0;
  constexpr std::uint64_t saturated = std::uint64_t{1} << 40;
  for (char c : digits) {
    if (!is_digit(c)) throw syntax_error();
    count = count * 10 + static_cast<std::uint64_t>(c - '0');
    if (count > saturated) count = saturated;
  }
  if (count == 0) throw syntax_error();
  return static_cast<std::size_t>(std::min<std::uint64_t>(count, std::numeric_limits<std::size_t>::max()));
}

}  // namespace

Input::~Input() { std::free(buffer_); }

bool Input::next_line() {
  const ssize_t length = getline(&buffer_, &capacity_, stream_);
  if (length < 0) return false;
  std::size_t size = static_cast<std::size_t>(length);
  if (size > 0 && buffer_[size - 1] == '\n') {
    --size;
    if (size > 0 && buffer_[size - 1] == '\r') --size;
  }
  line_.assign(buffer_, size);
  return true;
}

std::string Input::read_text() {
  if (!next_line()) throw end_of_file();
  return line_;
}

void Input::read_list(std::span<const ListItem> items) {
  std::size_t next = 0;
  bool value_before = false;  // a value whose separating comma has not come yet
  while (next < items.size()) {
    if (!next_line()) throw end_of_file();
    const std::string_view line = line_;
    std::size_t pos = 0;
    while (next < items.size()) {
      while (pos < line.size() && is_blank(line[pos])) ++pos;
      if (pos == line.size()) break;  // a line end is a blank: go on with the next line
      const char c = line[pos];
      if (c == '/') return;
      if (c == ',') {
        ++pos;
        if (value_before) {
          value_before = false;
        } else {
          ++next;  // null value
        }
        continue;
      }
      std::size_t end = pos;
      while (end < line.size() && !is_separator(line[end])) ++end;
      std::string_view token = line.substr(pos, end - pos);
      pos = end;

      std::size_t copies = 1;
      if (const std::size_t star = token.find('*'); star != std::string_view::npos) {
        copies = repeat_count(token.substr(0, star));
        token = token.substr(star + 1);
      }
      value_before = true;
      if (token.empty()) {  // r*: r null values
        next += copies < items.size() - next ? copies : items.size() - next;
        continue;
      }
      const numerics::Decimal number = parse_number(token);
      for (; copies > 0 && next < items.size(); --copies) assign(items[next++], number);
    }
  }
}

}  // namespace console
