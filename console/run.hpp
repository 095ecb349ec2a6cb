// One run of the program: dialogue, sweeps, and the end of the run. Errors
// end the run with a diagnostic line on `errors` and their exit status.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <span>
#include <string>

namespace console {

// Bounds for a run embedded in a test harness: after `row_limit` result rows in
// all the run ends as after a step of 0. The program itself has no limit.
struct RunLimits {
  std::int64_t row_limit = std::numeric_limits<std::int64_t>::max();
};

// Returns the process exit status: 0 after a step of 0, otherwise that of the
// error that ended the run.
int run(std::span<const std::string> arguments, std::FILE* in, std::FILE* out, std::FILE* errors,
        const RunLimits& limits = {});

}  // namespace console
