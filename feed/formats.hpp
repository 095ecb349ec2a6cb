// veskal-feed's rows as CSV (RFC 4180, CR LF), JSON and a text table. CSV
// columns and JSON keys are tables/feed_table.hpp's columns(); ratios and decibels
// are rounded to nine significant digits, an unknown value is an empty cell
// (CSV) or null (JSON).
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tables/feed_table.hpp"

namespace feed {

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
