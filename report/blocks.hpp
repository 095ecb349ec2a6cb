// The report's blocks, the one home of its layout: the file banner, the
// geometry block, the waveguide block, the column headings and a result row,
// each as records (column 1 the blank control column), the order in which a
// run writes them, and the report file's line end. veskal writes them to the
// console and the report file; veskal-sweep --format report writes the same
// file from the same pieces.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "horn/characteristics.hpp"
#include "horn/geometry.hpp"

namespace report {

// The report file ends every record with CR LF.
inline constexpr std::string_view file_line_end = "\r\n";

// Records of the report blocks.
std::vector<std::string> file_banner();
std::vector<std::string> geometry_block(const horn::Horn& horn);
std::vector<std::string> waveguide_block(const horn::Horn& horn);
std::vector<std::string> column_headers();
// Frequency, gain, the 3 dB and 10 dB beamwidths (E, H) and the phase centres
// as lengths (E, H), in the columns of the headers.
std::string result_row(const horn::Characteristics& row);

// The kinds of block. A run writes the banner once, before its first range;
// each range writes the geometry, the waveguide block when the horn gives
// the waveguide, and the headers; then one row per frequency.
enum class Block { banner, geometry, waveguide, headers, row };

// The heads of one range in their order, each handed to `write(block, records)`.
template <class Write>
void range_heads(const horn::Horn& horn, Write&& write) {
  write(Block::geometry, geometry_block(horn));
  if (horn.has_waveguide()) write(Block::waveguide, waveguide_block(horn));
  write(Block::headers, column_headers());
}

}  // namespace report
