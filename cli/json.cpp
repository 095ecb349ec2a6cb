#include "cli/json.hpp"

#include <cstdlib>

#include "cli/usage.hpp"
#include "text/numbers.hpp"

namespace cli {

using text::shortest;
using text::unit_name;

// The decimal that reads back to the float is also the shortest for the
// double nearest to it, which is what the JSON library prints.
double json_number(float value) { return std::strtod(shortest(value).c_str(), nullptr); }

nlohmann::ordered_json horn_json(const horn::Horn& h) {
  nlohmann::ordered_json horn = {{"unit", unit_name(h)},
                                 {"aperture_diameter", json_number(h.aperture_diameter)},
                                 {"slant_radius", json_number(h.slant_radius)},
                                 {"cone_angle_deg", json_number(h.cone_angle)}};
  if (h.has_waveguide()) {
    horn["waveguide_diameter"] = json_number(h.waveguide_diameter);
    horn["axial_length"] = json_number(h.axial_length);
    horn["cone_length"] = json_number(h.cone_length);
  }
  return horn;
}

}  // namespace cli
