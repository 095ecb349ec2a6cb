// The designer's length units: their codes (the dialogue's answers 1 ... 4),
// their names on the command line, and the classic factor, the number of
// such units per inch, held in single precision as every classic constant.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "numerics/units.hpp"

namespace horn {

// Chosen units per inch, for unit codes 1 in, 2 cm, 3 mm, 4 m.
inline constexpr std::array<float, 4> unit_factor = {1.0f, 2.54f, 25.4f, 0.0254f};
inline constexpr std::array<std::string_view, 4> unit_names = {"in", "cm", "mm", "m"};

// The code of a unit's name; none for another name.
inline std::optional<std::int32_t> unit_code_of(std::string_view name) {
  for (std::size_t i = 0; i < unit_names.size(); ++i)
    if (name == unit_names[i]) return static_cast<std::int32_t>(i + 1);
  return std::nullopt;
}

// unit_code must be 1 ... 4.
inline std::string_view unit_name(std::int32_t unit_code) {
  return unit_names[static_cast<std::size_t>(unit_code - 1)];
}

// Chosen units per metre, for the engines' lengths (which are in metres).
inline double units_per_metre(std::int32_t unit_code) {
  return double(unit_factor[static_cast<std::size_t>(unit_code - 1)]) / numerics::metres_per_inch;
}

}  // namespace horn
