// The columns of a sweep, each once: its name, its unit and its cell of a
// row. veskal-sweep's CSV and JSON and the Python module's arrays take their
// names and values from here, so that a script finds the same key with the
// same value wherever it reads a sweep. Classic cells are the row's floats
// (the report's bits); the engine's are rounded to nine significant digits,
// far below the engine's accuracy limits and short to read.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "tables/sweep_table.hpp"

namespace sweep {

// A cell: empty, a classic float, an engine double, or text.
using Cell = std::variant<std::monostate, float, double, std::string>;

// What a column's cells hold besides nothing: the classic model's floats,
// the engine's doubles, or text.
enum class ColumnKind { classic, engine, text };

struct Column {
  const char* name;
  const char* unit;  // "" for a ratio or text; "length" for the horn's unit
  ColumnKind kind;
  Cell (*cell)(const Row&);
};

// What a sweep holds: the classic columns (a cone), the engine's (checked),
// and the mode-matching engine's match and cross-polar columns after them.
struct Layout {
  bool classic = true, checked = false, modal = false;
};

// The columns in order: the classic ones (frequency and wavelength alone
// without a cone), then the engine's when checked, then the modal ones.
std::vector<Column> columns(const Layout& layout);
std::vector<std::string> column_names(const Layout& layout);

}  // namespace sweep
