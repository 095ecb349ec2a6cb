// veskal-pattern: the E- and H-plane far-field pattern of a TE-11 conical
// horn as a CSV table or an SVG picture.
#include <CLI/CLI.hpp>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "horn/geometry.hpp"
#include "numerics/checked_math.hpp"
#include "pattern/pattern_table.hpp"
#include "pattern/render.hpp"

namespace {

constexpr int usage_status = 2;
constexpr int model_status = 1;
constexpr std::size_t max_angles = 1000000;

struct Options {
  float frequency = 0.0f;
  float aperture_diameter = 0.0f;
  std::optional<float> slant_radius;
  std::optional<float> cone_angle;
  std::string unit = "in";
  double from = 0.0, to = 90.0, step = 0.5;
  std::string format = "csv";
  std::string output;
  std::string reference = "aperture";
  std::string model = "classic";
};

struct UsageError {
  std::string message;
};

void require(bool ok, const std::string& message) {
  if (!ok) throw UsageError{message};
}

// Writes the whole text, to standard output or through a temporary file in
// the same directory that is renamed into place, so that a failed run leaves
// nothing half-written and never touches an existing file of another name.
bool write_output(const std::string& path, const std::string& text) {
  if (path.empty()) {
    std::cout << text;
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n > 0)
      done += static_cast<std::size_t>(n);
    else if (!(n < 0 && errno == EINTR))
      ok = false;
  }
  // mkstemp creates the file for its owner only; give it the usual mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ok = ok && ::fchmod(fd, 0666 & ~mask) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

// Two decimals are plenty for a title.
std::string two_decimals(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", double(value));
  return text;
}

int run(int argc, char** argv) {
  CLI::App app{"E- and H-plane far-field pattern of a TE-11 mode conical horn", "veskal-pattern"};
  app.set_version_flag("--version", "veskal-pattern " VESKAL_VERSION);
  Options o;
  app.add_option("--frequency", o.frequency, "frequency, GHz")->required();
  app.add_option("--aperture-diameter", o.aperture_diameter, "inner diameter of the aperture, in --unit")
      ->required();
  auto* slant =
      app.add_option("--slant-radius", o.slant_radius, "cone apex to aperture rim along the wall, in --unit");
  auto* angle = app.add_option("--cone-angle", o.cone_angle, "half angle of the cone, degrees");
  slant->excludes(angle);
  app.add_option("--unit", o.unit, "unit of the lengths: in, cm, mm or m")
      ->check(CLI::IsMember({"in", "cm", "mm", "m"}))
      ->capture_default_str();
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
  app.add_option("--model", o.model,
                 "classic (the report's routines) or the aperture engine with quadratic or spherical phase")
      ->check(CLI::IsMember({"classic", "quadratic", "spherical"}))
      ->capture_default_str();

  try {
    app.parse(argc, argv);
    require(std::isfinite(o.frequency) && o.frequency > 0.0f,
            "--frequency: must be a positive number of GHz");
    require(std::isfinite(o.aperture_diameter) && o.aperture_diameter > 0.0f,
            "--aperture-diameter: must be a positive length");
    require(o.slant_radius || o.cone_angle, "--slant-radius or --cone-angle: one of them is required");
    if (o.slant_radius)
      require(std::isfinite(*o.slant_radius) && *o.slant_radius * 2.0f >= o.aperture_diameter,
              "--slant-radius: must be at least half the aperture diameter");
    if (o.cone_angle)
      require(std::isfinite(*o.cone_angle) && *o.cone_angle > 0.0f && *o.cone_angle < 90.0f,
              "--cone-angle: must lie between 0 and 90 degrees");
    require(std::isfinite(o.from) && o.from >= -180.0 && o.from <= 180.0,
            "--from: must lie within -180 ... 180 degrees");
    require(std::isfinite(o.to) && o.to >= o.from && o.to <= 180.0,
            "--to: must lie within --from ... 180 degrees");
    require(std::isfinite(o.step) && o.step > 0.0, "--step: must be a positive number of degrees");
    require((o.to - o.from) / o.step < double(max_angles),
            "--step: too small for the range (a million angles at most)");
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::CallForVersion&) {
    std::cout << app.version() << "\n";
    return 0;
  } catch (const CLI::ParseError& e) {
    std::cerr << "veskal-pattern: " << e.what() << " (see --help)\n";
    return usage_status;
  } catch (const UsageError& e) {
    std::cerr << "veskal-pattern: " << e.message << "\n";
    return usage_status;
  }

  // The geometry in the chosen unit, then in inches, as the report program does it.
  const std::map<std::string, std::int32_t> unit_codes = {{"in", 1}, {"cm", 2}, {"mm", 3}, {"m", 4}};
  horn::Horn horn;
  horn.unit_code = unit_codes.at(o.unit);
  horn.aperture_diameter = o.aperture_diameter;
  horn.flare_type = o.slant_radius ? horn::slant_radius_given : horn::cone_angle_given;
  if (o.slant_radius) horn.slant_radius = *o.slant_radius;
  if (o.cone_angle) horn.cone_angle = *o.cone_angle;

  const auto reference =
      o.reference == "aperture" ? pattern::PhaseReference::aperture : pattern::PhaseReference::phase_centre;
  const auto model = o.model == "classic"     ? pattern::Model::classic
                     : o.model == "quadratic" ? pattern::Model::quadratic
                                              : pattern::Model::spherical;
  std::string text;
  try {
    horn::complete_geometry(horn);
    const auto result =
        pattern::compute_pattern(o.frequency, horn.in_inches(), pattern::angles(o.from, o.to, o.step),
                                 reference, o.format == "svg", model);
    if (o.format == "csv") {
      text = pattern::to_csv(result);
    } else {
      const pattern::Description description{"aperture " + pattern::round_trip(horn.aperture_diameter) + " " +
                                                 o.unit + ", slant radius " +
                                                 pattern::round_trip(horn.slant_radius) + " " + o.unit +
                                                 ", cone angle " + two_decimals(horn.cone_angle) + "\xC2\xB0",
                                             o.frequency};
      text = pattern::to_svg(result, description);
    }
  } catch (const aperture::InvalidHorn& e) {
    std::cerr << "veskal-pattern: the aperture engine cannot take this horn: " << e.what() << "\n";
    return model_status;
  } catch (const pattern::NoPhaseCentre&) {
    std::cerr << "veskal-pattern: --phase-reference phase-centre: the engine finds no 10 dB point within 90"
                 " degrees of the axis, so no phase centre\n";
    return model_status;
  } catch (const numerics::DomainError& e) {
    std::cerr << "veskal-pattern: the horn model cannot describe this horn at "
              << pattern::round_trip(o.frequency)
              << " GHz: its aperture is too small in wavelengths for the beamwidth model (" << e.function
              << " of a negative number)\n";
    return model_status;
  }
  if (!write_output(o.output, text)) {
    std::cerr << "veskal-pattern: --output: cannot write " << o.output << "\n";
    return model_status;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {  // out of memory, and the like
    std::cerr << "veskal-pattern: " << e.what() << "\n";
    return model_status;
  }
}
