#include "profile/program.hpp"

#include <CLI/CLI.hpp>

#include <string>

#include "cli/output.hpp"
#include "cli/usage.hpp"
#include "cli/wall.hpp"
#include "drawing/picture.hpp"
#include "drawing/section.hpp"
#include "drawing/step.hpp"
#include "horn/units.hpp"

namespace profile {

int program(int argc, char** argv) {
  CLI::App app{
      "A horn's half cross-section: an SVG picture with dimensions, a DXF drawing, or a STEP solid "
      "of revolution to machine",
      "veskal-profile"};
  app.set_version_flag("--version", "veskal-profile " VESKAL_VERSION);
  cli::HornOptions horn;
  std::string format = "svg", output;
  cli::add_horn_options(app, horn, false);
  cli::add_profile_option(app, horn);
  app.add_option("--format", format, "svg (a dimensioned picture), dxf (the section) or step (the solid)")
      ->check(CLI::IsMember({"svg", "dxf", "step"}))
      ->capture_default_str();
  app.add_option("--output", output, "file to write (default: standard output)");

  cli::Wall wall;
  const auto usage = cli::parse(app, argc, argv, [&] {
    cli::require_outputs_apart_from_inputs({{"--output", output}}, {{"--profile", horn.profile}});
    cli::require(!horn.profile.empty() || horn.aperture_diameter.has_value(),
                 "{aperture_diameter} or {profile}: the horn is needed");
    wall = cli::wall_from(horn);
    cli::require(format != "step" || !wall.outside.empty(),
                 "--format step: a part to machine needs the wall's thickness ({wall_thickness}, or an "
                 "outside in the profile)");
  });
  if (usage) return *usage;

  const double units_per_metre = horn::units_per_metre(cli::unit_code(wall.unit));
  const std::vector<drawing::Point> section = drawing::metal_section(wall.points, wall.outside);
  std::string text;
  if (format == "svg") {
    text = drawing::section_svg(wall.points, wall.outside, wall.unit, units_per_metre,
                                wall.kind + ": " + wall.description);
  } else if (format == "dxf") {
    text = drawing::dxf(section, !wall.outside.empty(), units_per_metre, drawing::dxf_units(wall.unit));
  } else {
    text = drawing::step_text(section);
  }
  cli::Transaction transaction;
  transaction.open(output).write(text);
  transaction.commit();
  return 0;
}

}  // namespace profile
