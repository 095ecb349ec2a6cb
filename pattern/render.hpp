// The pattern as CSV (RFC 4180: a header line, CR LF line ends, one row per
// angle, floats printed with the shortest digits that read back to the same
// value) and as a self-contained SVG picture.
#pragma once

#include <string>

#include "tables/pattern_table.hpp"

namespace pattern {

struct Description {
  std::string horn;        // e.g. "aperture 6 in, slant radius 24 in"
  float frequency = 0.0f;  // GHz
  // The classic figures shown lie beyond the classic tables: the warning
  // the picture carries, empty when they do not.
  std::string classic_warning;
  std::string kind = "TE-11 conical horn";  // the title's first words
};

std::string to_csv(const Pattern& pattern);
std::string to_svg(const Pattern& pattern, const Description& description);

// Shortest decimal text that reads back to the same float.
std::string round_trip(float value);

}  // namespace pattern
