// Numbers as the companions read and print them, and arguments as messages
// quote them: shared by the programs, the Python module and the libraries
// below them; nothing here needs the command-line or JSON libraries.
//
// Reading: the dialogue's number grammar (numerics/decimal.hpp), so that the
// same typed digits give the same bits in every program: a float option takes
// the nearest float in one rounding, as veskal does. Hexadecimal, an empty
// value, "nan", "inf", trailing characters and a value too large for its type
// are refused with a numerics::InvalidRequest naming the option as given.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "horn/geometry.hpp"
#include "numerics/errors.hpp"

namespace text {

// The value of `option` typed as `text`: the nearest float or double.
float read_float(std::string_view option, std::string_view text);
double read_double(std::string_view option, std::string_view text);

// Shortest decimal text that reads back to the same value ("nan", "inf",
// "-inf" for those).
std::string shortest(float value);
std::string shortest(double value);

// A double rounded to nine significant digits: the engine's values in tables.
double nine_digits(double value);

// Fixed-point text with `decimals` digits after the point; "-" for none or
// for a value that is not finite.
std::string fixed(const std::optional<double>& value, int decimals);

// An argument as a message quotes it: at most 80 characters, a longer one
// cut in the middle with "...".
std::string shortened(std::string_view argument);

// The unit's name as the options spell it (in, cm, mm, m).
std::string unit_name(const horn::Horn& horn);
// Every unit's name, as choices take them, and as messages list them:
// "in, cm, mm or m".
std::vector<std::string> unit_choices();
std::string unit_list();

// "aperture 7.5 in, slant radius 15 in, cone angle 14.48°" (and the waveguide).
std::string horn_description(const horn::Horn& horn);

}  // namespace text
