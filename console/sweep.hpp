// The frequency sweep: ranges (start, stop, step in GHz) are read until a step
// of 0; each range writes the geometry head and one result row per frequency
// to the console and the report file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/dialogue.hpp"
#include "console/input.hpp"
#include "console/report_file.hpp"
#include "console/terminal.hpp"

namespace console {

// Rows of a range: trunc((stop - start) / step + 1.4); the most negative
// integer when that is not a number or does not fit (hence no rows).
std::int32_t frequency_count(const float& start, const float& stop, const float& step);

// Frequency of row `index` (1-based): (index - 1) * step + start.
float row_frequency(std::int64_t index, const float& start, const float& step);

// The values of one result row, in the order of its columns: frequency (GHz),
// gain (dB), 3 dB and 10 dB beamwidths E, H (degrees), E and H phase centres
// as lengths in the chosen unit.
std::vector<float> row_values(const Horn& horn, const float& frequency);

// Records of the report blocks.
std::vector<std::string> file_banner();
std::vector<std::string> geometry_block(const Horn& horn);
std::vector<std::string> waveguide_block(const Horn& horn);
std::vector<std::string> column_headers();
std::string result_row(const std::vector<float>& values);

// Runs ranges until a step of 0 is read; returns then, having written nothing
// for that answer. After `row_limit` rows in all it ends the run in the same way.
void run_sweeps(const Horn& horn, Terminal& terminal, Input& input, ReportFile& report,
                std::int64_t row_limit);

}  // namespace console
