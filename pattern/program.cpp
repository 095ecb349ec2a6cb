// veskal-pattern: the E- and H-plane far-field pattern of a TE-11 conical
// horn as a CSV table or an SVG picture.
#include "pattern/program.hpp"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/classic.hpp"
#include "cli/options.hpp"
#include "cli/output.hpp"
#include "horn/characteristics.hpp"
#include "numerics/checked_math.hpp"
#include "pattern/pattern_table.hpp"
#include "pattern/render.hpp"

namespace pattern {
namespace {

constexpr std::size_t max_angles = 1000000;

// The models describe the forward half-space only.
constexpr double widest_angle = 90.0;

struct Options {
  std::optional<float> frequency;
  cli::HornOptions horn;
  std::optional<double> from = 0.0, to = 90.0, step = 0.5;
  std::string format = "csv";
  std::string output;
  std::string reference = "aperture";
  std::string model;
};

}  // namespace

int program(int argc, char** argv) {
  CLI::App app{"E- and H-plane far-field pattern of a TE-11 mode conical horn", "veskal-pattern"};
  app.set_version_flag("--version", "veskal-pattern " VESKAL_VERSION);
  Options o;
  cli::add_number(app, "--frequency", o.frequency, "frequency, GHz")->required();
  cli::add_horn_options(app, o.horn);
  cli::add_number(app, "--from", o.from, "first angle from the axis, degrees (-90 ... 90)")->default_str("0");
  cli::add_number(app, "--to", o.to, "last angle from the axis, degrees (--from ... 90)")->default_str("90");
  cli::add_number(app, "--step", o.step, "angle step, degrees")->default_str("0.5");
  app.add_option("--format", o.format, "csv (a table) or svg (a picture)")
      ->check(CLI::IsMember({"csv", "svg"}))
      ->capture_default_str();
  app.add_option("--output", o.output, "file to write (default: standard output)");
  app.add_option("--phase-reference", o.reference,
                 "phases referred to the aperture centre, or to each plane's phase centre")
      ->check(CLI::IsMember({"aperture", "phase-centre"}))
      ->capture_default_str();
  cli::add_model_option(app, o.model, {cli::Model::classic, cli::Model::quadratic, cli::Model::spherical},
                        "classic: the report's routines; quadratic, spherical: the aperture engine with "
                        "that aperture phase");

  horn::Horn horn;
  const auto usage = cli::parse(app, argc, argv, [&] {
    using cli::require;
    require(*o.frequency > 0.0f, "--frequency: must be a positive number of GHz");
    horn = cli::horn_from(o.horn);
    require(*o.from >= -widest_angle && *o.from <= widest_angle,
            "--from: must lie within -90 ... 90 degrees (the models describe the forward half-space only)");
    require(*o.to >= *o.from && *o.to <= widest_angle,
            "--to: must lie within --from ... 90 degrees (the models describe the forward half-space only)");
    require(*o.step > 0.0, "--step: must be a positive number of degrees");
    require((*o.to - *o.from) / *o.step < double(max_angles),
            "--step: too small for the range (a million angles at most)");
  });
  if (usage) return *usage;

  const auto reference =
      o.reference == "aperture" ? pattern::PhaseReference::aperture : pattern::PhaseReference::phase_centre;
  const cli::Model model = cli::model_from(o.model);
  const float frequency = *o.frequency;
  std::string text;
  try {
    const auto result =
        pattern::compute_pattern(frequency, horn.in_inches(), pattern::angles(*o.from, *o.to, *o.step),
                                 reference, o.format == "svg", model);
    // Classic figures beyond the tables: a warning, with or without a picture.
    const float s = horn::phase_error(horn.in_inches(), frequency);
    const bool classic_shown = model == cli::Model::classic || result.has_beamwidths;
    std::string warning;
    if (classic_shown && cli::beyond_classic_tables(s)) {
      std::cerr << "veskal-pattern: " << cli::beyond_tables_warning(s) << "\n";
      warning =
          "classic figures beyond the tables (s = " + cli::fixed(double(s), 3) + " > 0.8): not to be trusted";
    }
    if (o.format == "csv") {
      text = pattern::to_csv(result);
    } else {
      const pattern::Description description{cli::horn_description(horn), frequency, warning};
      text = pattern::to_svg(result, description);
    }
  } catch (const numerics::DomainError& e) {
    std::cerr << "veskal-pattern: " << cli::classic_failure(horn.in_inches(), frequency) << "\n";
    return cli::failure_status;
  }
  cli::write_output(o.output, text);
  return 0;
}

}  // namespace pattern
