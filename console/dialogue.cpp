#include "console/dialogue.hpp"

#include <algorithm>

#include "console/severe.hpp"

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

horn::Horn ask_horn(Terminal& terminal, Input& input) {
  horn::Horn h;
  ask(terminal, input, " Enter units: 1 in., 2 cm, 3 mm, 4 meters ", &h.unit_code);
  if (h.unit_code < 1 || h.unit_code > 4)
    throw Severe{64, "unit code " + std::to_string(h.unit_code) + " is not 1, 2, 3 or 4", 64};

  ask(terminal, input, " Enter Aperture Diameter ", &h.aperture_diameter);

  terminal.record(" Enter Type of Flare Input: 1 Slant Radius, 2 Axial Length,");
  ask(terminal, input, flare_type_prompt, &h.flare_type);

  switch (h.flare_type) {
    case horn::slant_radius_given: ask(terminal, input, " Enter Slant Radius ", &h.slant_radius); break;
    case horn::cone_angle_given: ask(terminal, input, " Enter Cone Angle ", &h.cone_angle); break;
    case horn::cone_length_given:
      ask(terminal, input, " Enter Input Waveguide Inner Diameter ", &h.waveguide_diameter);
      ask(terminal, input, " Enter Cone Length to Waveguide ", &h.cone_length);
      break;
    default:  // 2 and every other value
      ask(terminal, input, " Enter Input Waveguide Inner Diameter ", &h.waveguide_diameter);
      ask(terminal, input, " Enter Axial Length ", &h.axial_length);
      break;
  }
  horn::complete_geometry(h);
  return h;
}

}  // namespace console
