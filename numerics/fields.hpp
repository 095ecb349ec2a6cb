// The lines and number fields of the text files the engines read (pattern
// files, wall profiles): lines split at LF with a CR before it dropped,
// fields at blanks, tabs and the separators the format adds, each read by
// std::from_chars (C's number syntax, an optional leading '+').
#pragma once

#include <string_view>
#include <vector>

namespace numerics {

// The lines of a text, without their ends; no empty line after a last LF.
std::vector<std::string_view> lines_of(std::string_view text);

// The numbers of a line, or the first field that is not a finite number
// (then `bad` is not empty and `values` holds those before it).
struct Fields {
  std::vector<double> values;
  std::string_view bad;
};
Fields number_fields(std::string_view line, std::string_view separators = "");

}  // namespace numerics
