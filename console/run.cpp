#include "console/run.hpp"

#include <optional>

#include "console/dialogue.hpp"
#include "console/input.hpp"
#include "console/report_file.hpp"
#include "console/severe.hpp"
#include "console/sweep.hpp"
#include "console/terminal.hpp"
#include "numerics/checked_math.hpp"

namespace console {
namespace {

constexpr int math_error_number = 6201;
constexpr int math_error_status = 3;

void report_severe(std::FILE* errors, const Severe& error) {
  std::fprintf(errors, "veskal: severe (%d): ", error.number);
  std::fwrite(error.message.data(), 1, error.message.size(), errors);
  std::fputc('\n', errors);
  std::fflush(errors);
}

}  // namespace

int run(std::span<const std::string> arguments, std::FILE* in, std::FILE* out, std::FILE* errors,
        const RunLimits& limits) {
  Terminal terminal(out);
  Input input(in);
  std::optional<ReportFile> report;  // closed with what was written, however the run ends
  try {
    try {
      report.emplace(ask_report_name(terminal, input, arguments));
      const horn::Horn horn = ask_horn(terminal, input);
      run_sweeps(horn, terminal, input, *report, limits.row_limit);
      terminal.flush();
      return 0;
    } catch (const numerics::DomainError& error) {
      throw Severe{math_error_number, std::string(error.function) + ": DOMAIN error", math_error_status};
    }
  } catch (const Severe& error) {
    terminal.flush();
    report.reset();
    report_severe(errors, error);
    return error.exit_status;
  }
}

}  // namespace console
