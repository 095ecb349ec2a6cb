// veskal-pattern: the E- and H-plane far-field pattern of a TE-11 conical
// horn as a CSV table or an SVG picture.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/options.hpp"
#include "numerics/checked_math.hpp"
#include "pattern/pattern_table.hpp"
#include "pattern/render.hpp"

namespace {

constexpr std::size_t max_angles = 1000000;

struct Options {
  float frequency = 0.0f;
  cli::HornOptions horn;
  double from = 0.0, to = 90.0, step = 0.5;
  std::string format = "csv";
  std::string output;
  std::string reference = "aperture";
  std::string model = "classic";
};

int run(int argc, char** argv) {
  CLI::App app{"E- and H-plane far-field pattern of a TE-11 mode conical horn", "veskal-pattern"};
  app.set_version_flag("--version", "veskal-pattern " VESKAL_VERSION);
  Options o;
  app.add_option("--frequency", o.frequency, "frequency, GHz")->required();
  cli::add_horn_options(app, o.horn);
  app.add_option("--from", o.from, "first angle from the axis, degrees")->capture_default_str();
  app.add_option("--to", o.to, "last angle from the axis, degrees")->capture_default_str();
  app.add_option("--step", o.step, "angle step, degrees")->capture_default_str();
  app.add_option("--format", o.format, "csv (a table) or svg (a picture)")
      ->check(CLI::IsMember({"csv", "svg"}))
      ->capture_default_str();
  app.add_option("--output", o.output, "file to write (default: standard output)");
  app.add_option("--phase-reference", o.reference,
                 "phases referred to the aperture centre, or to each plane's phase centre")
      ->check(CLI::IsMember({"aperture", "phase-centre"}))
      ->capture_default_str();
  cli::add_model_option(app, o.model, {"classic", "quadratic", "spherical"});

  horn::Horn horn;
  const auto usage = cli::parse(app, argc, argv, [&] {
    using cli::require;
    require(std::isfinite(o.frequency) && o.frequency > 0.0f,
            "--frequency: must be a positive number of GHz");
    horn = cli::horn_from(o.horn);
    require(std::isfinite(o.from) && o.from >= -180.0 && o.from <= 180.0,
            "--from: must lie within -180 ... 180 degrees");
    require(std::isfinite(o.to) && o.to >= o.from && o.to <= 180.0,
            "--to: must lie within --from ... 180 degrees");
    require(std::isfinite(o.step) && o.step > 0.0, "--step: must be a positive number of degrees");
    require((o.to - o.from) / o.step < double(max_angles),
            "--step: too small for the range (a million angles at most)");
  });
  if (usage) return *usage;

  const auto reference =
      o.reference == "aperture" ? pattern::PhaseReference::aperture : pattern::PhaseReference::phase_centre;
  const auto model = o.model == "classic"     ? pattern::Model::classic
                     : o.model == "quadratic" ? pattern::Model::quadratic
                                              : pattern::Model::spherical;
  std::string text;
  try {
    const auto result =
        pattern::compute_pattern(o.frequency, horn.in_inches(), pattern::angles(o.from, o.to, o.step),
                                 reference, o.format == "svg", model);
    if (o.format == "csv") {
      text = pattern::to_csv(result);
    } else {
      const pattern::Description description{cli::horn_description(horn), o.frequency};
      text = pattern::to_svg(result, description);
    }
  } catch (const aperture::InvalidHorn& e) {
    std::cerr << "veskal-pattern: the aperture engine cannot take this horn: " << e.what() << "\n";
    return cli::failure_status;
  } catch (const pattern::NoPhaseCentre&) {
    std::cerr << "veskal-pattern: --phase-reference phase-centre: the engine finds no 10 dB point within 90"
                 " degrees of the axis, so no phase centre\n";
    return cli::failure_status;
  } catch (const numerics::DomainError& e) {
    std::cerr << "veskal-pattern: the horn model cannot describe this horn at " << cli::shortest(o.frequency)
              << " GHz: its aperture is too small in wavelengths for the beamwidth model (" << e.function
              << " of a negative number)\n";
    return cli::failure_status;
  }
  if (!cli::write_output(o.output, text)) {
    std::cerr << "veskal-pattern: --output: cannot write " << o.output << "\n";
    return cli::failure_status;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return cli::guarded_main("veskal-pattern", run, argc, argv); }
