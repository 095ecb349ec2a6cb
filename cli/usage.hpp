// A bad command line, and how the programs word the libraries' messages.
#pragma once

#include <string>
#include <string_view>

#include "numerics/errors.hpp"

namespace cli {

// A bad request, found during or after parsing: one line naming the
// parameter, as "{name}" where the programs and the Python module share the
// message (numerics/errors.hpp); the program exits with usage_status.
using UsageError = numerics::InvalidRequest;
using numerics::require;

// A message as the programs print it: each "{name}" as the option --name
// (underscores as hyphens).
std::string option_words(std::string_view message);

}  // namespace cli
