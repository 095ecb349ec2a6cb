// A sweep written row by row as CSV (RFC 4180, CR LF), as JSON, as the report
// file veskal writes, or as an SVG picture. The columns of CSV and JSON have
// the same names; classic values are printed with the shortest digits that
// read back to the same float (so they hold the report's bits), the engine's
// rounded to nine significant digits. Text reaches the output as each row
// is written, so memory does not grow with the number of rows; the picture
// keeps the points it draws (at most picture_points of them).
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sweep/sweep_table.hpp"

namespace sweep {

// Where the text goes.
using Sink = std::function<void(std::string_view)>;

// Column names in order; the classic ones, then the engine's when checked.
std::vector<std::string> column_names(bool checked);

class Writer {
 public:
  virtual ~Writer() = default;
  virtual void row(const Row& row) = 0;
  virtual void finish() = 0;
};

std::unique_ptr<Writer> csv_writer(Sink sink, bool checked);

// `options` stands at the top of the document beside the horn.
std::unique_ptr<Writer> json_writer(Sink sink, const horn::Horn& horn, const nlohmann::ordered_json& options,
                                    bool checked);

// The report file veskal writes for the same answers: one range holding every
// row (`one_range`), or one range per row (a list of frequencies). It ends
// before the first row the classic model cannot compute, as veskal's run
// ends there.
std::unique_ptr<Writer> report_writer(Sink sink, const horn::Horn& horn, bool one_range);

// The most points a curve of the picture has: a longer sweep is drawn
// through rows chosen at even steps of their index.
inline constexpr std::int64_t picture_points = 4001;

// Stacked panels against frequency: gain, the four beamwidths, the two phase
// centres; the engine's values dashed in the same colours when checked.
// `rows` is the number of rows that will be written.
std::unique_ptr<Writer> svg_writer(Sink sink, const horn::Horn& horn, const std::string& title,
                                   std::optional<aperture::Phase> check_phase, std::int64_t rows);

}  // namespace sweep
