// A sweep table as CSV (RFC 4180, CR LF), as JSON, as the report file veskal
// writes, and as an SVG picture. The columns of CSV and JSON have the same
// names; classic values are printed with the shortest digits that read back
// to the same float (so they hold the report's bits), the engine's rounded to
// nine significant digits.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "sweep/sweep_table.hpp"

namespace sweep {

// Column names in order; the classic ones, then the engine's when checked.
std::vector<std::string> column_names(bool checked);

std::string to_csv(const Table& table);

// `options` stands at the top of the document beside the horn.
std::string to_json(const Table& table, const nlohmann::ordered_json& options);

// The report file veskal writes for the same answers: one range holding
// every row (`one_range`), or one range per row (a list of frequencies). It
// ends before the first row the classic model cannot compute, as veskal's
// run ends there.
std::string to_report(const Table& table, bool one_range);

// Stacked panels against frequency: gain, the four beamwidths, the two phase
// centres; the engine's values dashed in the same colours when checked.
std::string to_svg(const Table& table, const std::string& title);

}  // namespace sweep
