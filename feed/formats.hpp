// veskal-feed's rows as CSV (RFC 4180, CR LF), JSON and a text table. CSV
// columns and JSON keys are tables/feed_table.hpp's columns(), then the
// model, the verdict on its domain ("ok" or the causes; empty for a pattern
// file, whose model is not known) and the row's error; ratios and decibels
// are rounded to nine significant digits, an unknown value is an empty cell
// (CSV) or null (JSON).
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/feed_table.hpp"

namespace feed {

std::string csv_header();
std::string csv_row(const Row& row);

// The JSON document around the rows: its head (up to the rows' array) and
// tail; each row an object.
std::string json_head(const nlohmann::ordered_json& source, const std::string& model,
                      const std::string& unit);
// `model`: the model's name; it, the row's domain and its error are the
// rows' last keys, as the CSV's last columns.
std::string json_row(const Row& row, bool first, const std::string& model);
std::string json_tail(bool any_row);

// The text tables of one frequency's rows.
std::string text_block(const std::vector<Row>& rows, const std::string& unit, bool with_gain);

// Where the text goes.
using Sink = std::function<void(std::string_view)>;

// A run's output in one format, a frequency at a time (its feed and its
// rows: the reflectors asked for, then the optimum), so that memory does
// not grow with the frequencies.
class Writer {
 public:
  virtual ~Writer() = default;
  // `feed`: none for a frequency without figures (its rows carry the reason).
  virtual void frequency(FrequencyFeed* feed, const std::vector<Row>& rows) = 0;
  virtual void finish() = 0;
};

// What the outputs say of the run: the horn or the pattern file (`title`),
// the model ("pattern file" for cuts), the unit.
struct Heading {
  std::string title;
  std::string model;  // a model's name, or "pattern file"
  std::string unit;
  bool with_gain = false;         // a reflector diameter was given
  bool reflectors_given = false;  // at least two reflectors asked for: the picture spans them
};

std::unique_ptr<Writer> text_writer(Sink sink, const Heading& heading);
std::unique_ptr<Writer> csv_writer(Sink sink, const Heading& heading);
// `source`: the horn or the pattern file, at the top of the document.
std::unique_ptr<Writer> json_writer(Sink sink, const Heading& heading, const nlohmann::ordered_json& source);
// The picture of one frequency (the command line allows no more).
std::unique_ptr<Writer> svg_writer(Sink sink, const Heading& heading);

}  // namespace feed
