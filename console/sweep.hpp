// The frequency sweep: ranges (start, stop, step in GHz) are read until a step
// of 0; each range writes the geometry head and one result row per frequency
// to the console and the report file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "console/input.hpp"
#include "console/report_file.hpp"
#include "console/terminal.hpp"
#include "horn/characteristics.hpp"
#include "horn/geometry.hpp"
#include "report/blocks.hpp"

namespace console {

using report::Block;

// Where each kind of block goes, and in which order its two copies are
// written. The banner goes to the report file only; the geometry and the
// headers reach the console first, the waveguide block and the rows the file.
enum class Order { file_only, console_first, file_first };

constexpr Order write_order(Block block) {
  switch (block) {
    case Block::banner: return Order::file_only;
    case Block::geometry: return Order::console_first;
    case Block::waveguide: return Order::file_first;
    case Block::headers: return Order::console_first;
    case Block::row: return Order::file_first;
  }
  return Order::file_first;
}

// Writes a block's records to the console (`record`) and to the report file
// (`write_record`) in the order of its kind, each copy whole before the other.
template <class Console, class File>
void write_block(Block block, std::span<const std::string> records, Console& console, File& file) {
  auto to_console = [&] {
    for (const auto& record : records) console.record(record);
  };
  auto to_file = [&] {
    for (const auto& record : records) file.write_record(record);
  };
  switch (write_order(block)) {
    case Order::file_only: to_file(); break;
    case Order::console_first:
      to_console();
      to_file();
      break;
    case Order::file_first:
      to_file();
      to_console();
      break;
  }
}

// Runs ranges until a step of 0 is read; returns then, having written nothing
// for that answer. After `row_limit` rows in all it ends the run in the same way.
void run_sweeps(const horn::Horn& horn, Terminal& terminal, Input& input, ReportFile& report,
                std::int64_t row_limit);

}  // namespace console
