// veskal-feed's rows as CSV (RFC 4180, CR LF), JSON and a text table. CSV
// columns and JSON keys share their names (columns()); ratios and decibels
// are rounded to nine significant digits, an unknown value is an empty cell
// (CSV) or null (JSON).
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "feed/feed_table.hpp"

namespace feed {

struct Column {
  const char* name;
  const char* unit;  // "" for a ratio; "length" for the designer's unit
  std::function<std::optional<double>(const Row&)> value;
};
// Every numeric column, in order; the text column "reflector" (given or
// optimum) stands second, after frequency_ghz.
const std::vector<Column>& columns();

std::string csv_header();
std::string csv_row(const Row& row);

// The JSON document around the rows: its head (up to the rows' array) and
// tail; each row an object.
std::string json_head(const nlohmann::ordered_json& source, const std::string& model,
                      const std::string& unit);
std::string json_row(const Row& row, bool first);
std::string json_tail(bool any_row);

// The text tables of one frequency's rows.
std::string text_block(const std::vector<Row>& rows, const std::string& unit, bool with_gain);

}  // namespace feed
