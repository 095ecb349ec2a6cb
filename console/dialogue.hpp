// The design dialogue: the report file name, the length unit, the aperture
// diameter and the flare description, from which the horn geometry is
// completed.
#pragma once

#include <span>
#include <string>

#include "console/input.hpp"
#include "console/terminal.hpp"
#include "horn/geometry.hpp"

namespace console {

// Shows the title, asks for the report file name and returns it trimmed of
// blanks: the first 70 characters of the answer; when blank, the first
// command-line argument; when that is missing or blank, asked for again until
// a name is typed.
std::string ask_report_name(Terminal& terminal, Input& input, std::span<const std::string> arguments);

// Asks for the unit, the aperture and the flare description, and completes the
// geometry (horn::complete_geometry). A unit code outside 1 to 4 ends the run
// (error 64).
horn::Horn ask_horn(Terminal& terminal, Input& input);

}  // namespace console
