#include "console/dialogue.hpp"

#include <algorithm>
#include <cmath>

#include "console/severe.hpp"
#include "numerics/checked_math.hpp"

namespace console {
namespace {

constexpr std::size_t name_length = 70;
// Second record of the flare-type prompt: a skip of 10 columns, then the text.
constexpr std::string_view flare_type_prompt = "           3 Cone Length, 4 Cone Angle ";

std::string trim_blanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// Shows the prompt, then reads its answer.
template <class... Targets>
void ask(Terminal& terminal, Input& input, std::string_view prompt, Targets*... targets) {
  terminal.prompt(prompt);
  terminal.flush();
  const ListItem items[] = {targets...};
  input.read_list(items);
}

// d = D: slant radius (and cone length) become infinite, which is reported as such.
void flare_from_slant_radius(Horn& h) {
  const double k = radians_per_degree;
  const float s = double(h.aperture_diameter) / (2.0 * double(h.slant_radius));
  h.cone_angle = std::atan(double(s) / numerics::checked_sqrt(1.0 - double(s) * double(s))) / k;
}

void flare_from_cone_angle(Horn& h) {
  const double k = radians_per_degree;
  h.slant_radius = double(h.aperture_diameter) / (2.0 * std::sin(double(h.cone_angle) * k));
}

void flare_from_cone_length(Horn& h) {
  const double k = radians_per_degree;
  const double D = h.aperture_diameter;
  const double d = h.waveguide_diameter;
  const double C = h.cone_length;
  h.slant_radius = C * (D / (D - d));
  h.axial_length = numerics::checked_sqrt(C * C - (D - d) * (D - d) / 4.0);
  h.cone_angle = std::atan((D - d) / (2.0 * double(h.axial_length))) / k;
}

void flare_from_axial_length(Horn& h) {
  const double k = radians_per_degree;
  const double D = h.aperture_diameter;
  const double d = h.waveguide_diameter;
  const double L = h.axial_length;
  const double c = numerics::checked_sqrt(L * L + (D - d) * (D - d) / 4.0);  // cone length, unrounded
  h.slant_radius = c * (D / (D - d));
  h.cone_length = ((D - d) / D) * double(h.slant_radius);
  h.cone_angle = std::atan((D - d) / (2.0 * L)) / k;
}

}  // namespace

std::string ask_report_name(Terminal& terminal, Input& input, std::span<const std::string> arguments) {
  terminal.record(" Characteristics of TE-11 Mode Circular Horn");
  terminal.prompt(" Enter output file ");
  terminal.flush();
  const std::string answer = input.read_text();
  std::string name = trim_blanks(std::string_view(answer).substr(0, std::min(answer.size(), name_length)));
  if (name.empty() && !arguments.empty()) name = trim_blanks(arguments.front());
  while (name.empty()) {
    terminal.text("File name missing or blank - please enter file name\nUNIT 66? ");
    terminal.flush();
    name = trim_blanks(input.read_text());
  }
  return name;
}

Horn ask_horn(Terminal& terminal, Input& input) {
  Horn h;
  ask(terminal, input, " Enter units: 1 in., 2 cm, 3 mm, 4 meters ", &h.unit_code);
  if (h.unit_code < 1 || h.unit_code > 4)
    throw Severe{64, "unit code " + std::to_string(h.unit_code) + " is not 1, 2, 3 or 4", 64};

  ask(terminal, input, " Enter Aperture Diameter ", &h.aperture_diameter);
  h.half_aperture = double(h.aperture_diameter) / 2.0;

  terminal.record(" Enter Type of Flare Input: 1 Slant Radius, 2 Axial Length,");
  ask(terminal, input, flare_type_prompt, &h.flare_type);

  switch (h.flare_type) {
    case 1:
      ask(terminal, input, " Enter Slant Radius ", &h.slant_radius);
      break;
    case 4:
      ask(terminal, input, " Enter Cone Angle ", &h.cone_angle);
      break;
    case 3:
      ask(terminal, input, " Enter Input Waveguide Inner Diameter ", &h.waveguide_diameter);
      ask(terminal, input, " Enter Cone Length to Waveguide ", &h.cone_length);
      break;
    default:  // 2 and every other value
      ask(terminal, input, " Enter Input Waveguide Inner Diameter ", &h.waveguide_diameter);
      ask(terminal, input, " Enter Axial Length ", &h.axial_length);
      break;
  }
  complete_geometry(h);
  return h;
}

void complete_geometry(Horn& h) {
  switch (h.flare_type) {
    case 1: flare_from_slant_radius(h); break;
    case 4: flare_from_cone_angle(h); break;
    case 3: flare_from_cone_length(h); break;
    default: flare_from_axial_length(h); break;
  }
}

}  // namespace console
