#include "numerics/fields.hpp"

#include <charconv>
#include <cmath>

namespace numerics {

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

Fields number_fields(std::string_view line, std::string_view separators) {
  Fields out;
  const auto separator = [&](char c) {
    return c == ' ' || c == '\t' || separators.find(c) != std::string_view::npos;
  };
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && separator(line[i])) ++i;
    if (i == line.size()) break;
    std::size_t end = i;
    while (end < line.size() && !separator(line[end])) ++end;
    const std::string_view whole = line.substr(i, end - i);
    std::string_view field = whole;
    if (field.front() == '+') field.remove_prefix(1);
    double v = 0.0;
    const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
    if (ec != std::errc{} || ptr != field.data() + field.size() || !std::isfinite(v)) {
      out.bad = whole;
      return out;
    }
    out.values.push_back(v);
    i = end;
  }
  return out;
}

}  // namespace numerics
