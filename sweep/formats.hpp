// A sweep written row by row as CSV (RFC 4180, CR LF), as JSON, as the report
// file veskal writes, or as an SVG picture. The columns of CSV and JSON are
// those of tables/sweep_columns.hpp; classic values are printed with the
// shortest digits that read back to the same float (so they hold the
// report's bits). Text reaches the output as each row
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

#include "tables/sweep_columns.hpp"
#include "tables/sweep_table.hpp"

namespace sweep {

// Where the text goes.
using Sink = std::function<void(std::string_view)>;

class Writer {
 public:
  virtual ~Writer() = default;
  virtual void row(const Row& row) = 0;
  virtual void finish() = 0;
};

std::unique_ptr<Writer> csv_writer(Sink sink, const Layout& layout);

// `source` (the horn, or the profile) and `options` stand at the top of the
// document; lengths are in `unit`.
std::unique_ptr<Writer> json_writer(Sink sink, const nlohmann::ordered_json& source, const std::string& unit,
                                    const nlohmann::ordered_json& options, const Layout& layout);

// The report file veskal writes for the same answers: one range holding every
// row (`one_range`), or one range per row (a list of frequencies). It ends
// before the first row the classic model cannot compute, as veskal's run
// ends there.
std::unique_ptr<Writer> report_writer(Sink sink, const horn::Horn& horn, bool one_range);

// The most points a curve of the picture has: a longer sweep is drawn
// through rows chosen at even steps of their index.
inline constexpr std::int64_t picture_points = 4001;

// Stacked panels against frequency: gain, the four beamwidths, the two phase
// centres, and with the mode-matching engine the return loss and the
// cross-polar peak; the engine's values dashed in the same colours when
// checked. `engine` names the engine in the subtitle (empty: unchecked);
// lengths are in `unit`; `rows` is the number of rows that will be written.
struct Picture {
  std::string title, engine, unit;
  Layout layout;
};
std::unique_ptr<Writer> svg_writer(Sink sink, const Picture& picture, std::int64_t rows);

}  // namespace sweep
