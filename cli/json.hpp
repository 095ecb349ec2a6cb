// JSON pieces the companions share: numbers that print with a float's
// shortest digits, and the horn at the top of a document.
#pragma once

#include <nlohmann/json.hpp>

#include "horn/geometry.hpp"

namespace cli {

// A float as a JSON number that prints with the float's shortest digits.
double json_number(float value);
// The horn's geometry with its unit.
nlohmann::ordered_json horn_json(const horn::Horn& horn);

}  // namespace cli
