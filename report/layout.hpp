// Records composed from layout lists of literals, skips, fixed-point fields and
// line breaks. Column 1 of every record is the blank control column: the
// report file keeps it, the console does not show it. A record ends at its
// last placed character; skipped columns become blanks only when something is
// placed after them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace report::layout {

struct Text {
  std::string_view literal;
};
struct Skip {
  int columns;
};
struct Field {
  int width;
  int decimals;
};  // Fw.d
struct Break {};

using Item = std::variant<Text, Skip, Field, Break>;

// The records of `items`, the fields filled from `values` in order (a field
// with no value left stays blank).
std::vector<std::string> compose(std::span<const Item> items, std::span<const float> values = {});

}  // namespace report::layout
