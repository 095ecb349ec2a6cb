#include "console/sweep.hpp"

#include <string_view>

namespace console {
namespace {

constexpr std::string_view frequency_prompt = " Enter Freq(GHz) Start, Stop, Step (0 terminate) ";
constexpr std::string_view end_of_run = " Stop - Program terminated.";

}  // namespace

void run_sweeps(const horn::Horn& horn, Terminal& terminal, Input& input, ReportFile& report,
                std::int64_t row_limit) {
  float start = 0.0f, stop = 0.0f, step = 0.0f;
  bool banner_written = false;
  auto write = [&](Block block, std::span<const std::string> records) {
    write_block(block, records, terminal, report);
  };
  for (;;) {
    terminal.prompt(frequency_prompt);
    terminal.flush();
    const ListItem items[] = {&start, &stop, &step};
    input.read_list(items);
    if (step == 0.0f) {
      terminal.record(end_of_run);
      return;
    }
    const std::int32_t count = horn::frequency_count(start, stop, step);
    if (!banner_written) {
      write(Block::banner, report::file_banner());
      banner_written = true;
    }
    report::range_heads(horn, write);
    for (std::int64_t i = 1; i <= count; ++i) {
      if (row_limit-- <= 0) {
        terminal.record(end_of_run);
        return;
      }
      const std::string row =
          report::result_row(horn::characteristics(horn, horn::row_frequency(i, start, step)));
      write(Block::row, {&row, 1});
    }
  }
}

}  // namespace console
