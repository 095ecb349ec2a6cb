#include "cli/options.hpp"

#include <unistd.h>

#include <sys/stat.h>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "horn/characteristics.hpp"
#include "numerics/checked_math.hpp"

namespace cli {
namespace {

bool positive(const std::optional<float>& v) { return v && std::isfinite(*v) && *v > 0.0f; }

constexpr const char* unit_names[] = {"in", "cm", "mm", "m"};

}  // namespace

void require(bool ok, const std::string& message) {
  if (!ok) throw UsageError{message};
}

void add_horn_options(CLI::App& app, HornOptions& o) {
  app.add_option("--aperture-diameter", o.aperture_diameter, "inner diameter of the aperture, in --unit")
      ->required();
  app.add_option("--slant-radius", o.slant_radius, "cone apex to aperture rim along the wall, in --unit");
  app.add_option("--cone-angle", o.cone_angle, "half angle of the cone, degrees");
  app.add_option("--waveguide-diameter", o.waveguide_diameter,
                 "inner diameter of the feeding waveguide, in --unit (with --axial-length or --cone-length)");
  app.add_option("--axial-length", o.axial_length, "waveguide junction to aperture plane, in --unit");
  app.add_option("--cone-length", o.cone_length,
                 "waveguide junction to aperture rim along the wall, in --unit");
  app.add_option("--unit", o.unit, "unit of the lengths: in, cm, mm or m")
      ->check(CLI::IsMember({"in", "cm", "mm", "m"}))
      ->capture_default_str();
}

horn::Horn horn_from(const HornOptions& o) {
  require(positive(o.aperture_diameter), "--aperture-diameter: must be a positive length");
  const int given = int(o.slant_radius.has_value()) + int(o.cone_angle.has_value()) +
                    int(o.axial_length.has_value()) + int(o.cone_length.has_value());
  require(given == 1,
          "--slant-radius, --cone-angle, --axial-length or --cone-length: exactly one flare description is "
          "needed");
  const float D = *o.aperture_diameter;
  const bool waveguide_needed = o.axial_length || o.cone_length;
  require(waveguide_needed == o.waveguide_diameter.has_value(),
          "--waveguide-diameter: goes with --axial-length or --cone-length, and only with them");

  horn::Horn h;
  h.unit_code = unit_code(o.unit);
  h.aperture_diameter = D;
  if (o.slant_radius) {
    require(std::isfinite(*o.slant_radius) && *o.slant_radius * 2.0f >= D,
            "--slant-radius: must be at least half the aperture diameter");
    h.flare_type = horn::slant_radius_given;
    h.slant_radius = *o.slant_radius;
  } else if (o.cone_angle) {
    require(std::isfinite(*o.cone_angle) && *o.cone_angle > 0.0f && *o.cone_angle < 90.0f,
            "--cone-angle: must lie between 0 and 90 degrees");
    h.flare_type = horn::cone_angle_given;
    h.cone_angle = *o.cone_angle;
  } else {
    require(positive(o.waveguide_diameter) && *o.waveguide_diameter < D,
            "--waveguide-diameter: must be a positive length below the aperture diameter");
    h.waveguide_diameter = *o.waveguide_diameter;
    if (o.axial_length) {
      require(positive(o.axial_length), "--axial-length: must be a positive length");
      h.flare_type = horn::axial_length_given;
      h.axial_length = *o.axial_length;
    } else {
      require(positive(o.cone_length) &&
                  double(*o.cone_length) > (double(D) - double(h.waveguide_diameter)) / 2.0,
              "--cone-length: must exceed half the difference of the two diameters");
      h.flare_type = horn::cone_length_given;
      h.cone_length = *o.cone_length;
    }
  }
  try {
    horn::complete_geometry(h);
  } catch (const numerics::DomainError&) {
    throw UsageError{"the flare description gives no real cone"};
  }
  require(std::isfinite(h.slant_radius) && std::isfinite(h.cone_angle),
          "the flare description gives no real cone");
  return h;
}

void add_frequency_options(CLI::App& app, FrequencyOptions& o) {
  auto* start = app.add_option("--start", o.start, "first frequency, GHz");
  auto* stop = app.add_option("--stop", o.stop, "last frequency, GHz");
  auto* step = app.add_option("--step", o.step, "frequency step, GHz");
  auto* list =
      app.add_option("--frequencies", o.list, "frequencies, GHz, separated by commas")->delimiter(',');
  for (auto* option : {start, stop, step}) option->excludes(list);
}

std::vector<float> frequencies(const FrequencyOptions& o, std::size_t limit) {
  std::vector<float> out;
  if (!o.list.empty()) {
    for (const float f : o.list)
      require(std::isfinite(f) && f > 0.0f, "--frequencies: each must be a positive number of GHz");
    require(o.list.size() <= limit, "--frequencies: too many");
    return o.list;
  }
  require(o.start && o.stop && o.step,
          "--start, --stop and --step (or --frequencies): the frequencies are needed");
  require(std::isfinite(*o.start) && std::isfinite(*o.stop) && std::isfinite(*o.step),
          "--start, --stop, --step: must be numbers");
  require(*o.step != 0.0f, "--step: must not be 0");
  const std::int32_t count = horn::frequency_count(*o.start, *o.stop, *o.step);
  require(count > 0, "--step: the range has no rows (a step of the wrong sign?)");
  require(static_cast<std::size_t>(count) <= limit, "--step: too many rows for the range");
  for (std::int64_t i = 1; i <= count; ++i) {
    const float f = horn::row_frequency(i, *o.start, *o.step);
    require(std::isfinite(f) && f > 0.0f, "--start, --step: every frequency must be positive");
    out.push_back(f);
  }
  return out;
}

void add_model_option(CLI::App& app, std::string& model, const std::vector<std::string>& choices) {
  app.add_option(
         "--model", model,
         "classic: the report's routines; quadratic, spherical: the aperture engine with that aperture phase")
      ->check(CLI::IsMember(choices))
      ->capture_default_str();
}

aperture::Phase phase_of(const std::string& model) {
  return model == "spherical" ? aperture::Phase::spherical : aperture::Phase::quadratic;
}

std::optional<int> parse(CLI::App& app, int argc, char** argv, const std::function<void()>& validate) {
  const std::string name = app.get_name();
  try {
    app.parse(argc, argv);
    validate();
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::CallForVersion&) {
    std::cout << app.version() << "\n";
    return 0;
  } catch (const CLI::ParseError& e) {
    std::cerr << name << ": " << e.what() << " (see --help)\n";
    return usage_status;
  } catch (const UsageError& e) {
    std::cerr << name << ": " << e.message << "\n";
    return usage_status;
  }
  return std::nullopt;
}

std::string shortest(float value) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc{} ? std::string(text, end) : std::string("nan");
}

std::string shortest(double value) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc{} ? std::string(text, end) : std::string("nan");
}

std::string unit_name(const horn::Horn& horn) { return unit_names[horn.unit_code - 1]; }

std::int32_t unit_code(const std::string& name) {
  for (std::int32_t code = 1; code <= 4; ++code)
    if (name == unit_names[code - 1]) return code;
  throw UsageError{"--unit: must be in, cm, mm or m"};
}

std::string horn_description(const horn::Horn& h) {
  const std::string unit = unit_name(h);
  char angle[32];
  std::snprintf(angle, sizeof angle, "%.2f", double(h.cone_angle));
  std::string text = "aperture " + shortest(h.aperture_diameter) + " " + unit + ", slant radius " +
                     shortest(h.slant_radius) + " " + unit + ", cone angle " + angle + "\xC2\xB0";
  if (h.has_waveguide()) text += ", from a " + shortest(h.waveguide_diameter) + " " + unit + " waveguide";
  return text;
}

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

int guarded_main(const char* name, int (*run)(int, char**), int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << name << ": " << e.what() << "\n";
    return failure_status;
  }
}

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

}  // namespace cli
