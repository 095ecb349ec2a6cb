// One run of the program: dialogue, sweeps, and the end of the run. Errors
// end the run with a diagnostic line on `errors` and their exit status.
#pragma once

#include <cstdio>
#include <span>
#include <string>

namespace console {

// Returns the process exit status: 0 after a step of 0, otherwise that of the
// error that ended the run.
int run(std::span<const std::string> arguments, std::FILE* in, std::FILE* out, std::FILE* errors);

}  // namespace console
