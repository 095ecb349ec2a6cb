#include "cli/wall.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <stdexcept>

#include "bor/horn.hpp"
#include "cli/json.hpp"
#include "horn/units.hpp"
#include "modal/band.hpp"
#include "text/warnings.hpp"

namespace cli {

using text::horn_description;
using text::shortened;
using text::shortest;
using text::unit_name;
namespace {

constexpr std::uintmax_t max_profile_bytes = 64u << 20;

}  // namespace

modal::Band settled_band(const Wall& wall, double highest_frequency) {
  const std::string at = "at " + shortest(highest_frequency) + " GHz: ";
  try {
    // Each frequency settles on its own (modal/band.hpp); a frequency that
    // does not is said where its figures are written.
    modal::Band band(wall.points, highest_frequency);
    band.set_outside(wall.outside);
    return band;
  } catch (const modal::WorkLimit& e) {
    // A wrong unit makes a horn 25 to 1000 times too large: asked only of an
    // aperture wider than a metre, beyond all but the largest horns built.
    constexpr double widest_plausible_m = 1.0;
    const double diameter_m = 2.0 * wall.points.back().radius;
    if (!(diameter_m > widest_plausible_m)) throw std::runtime_error(at + e.what());
    char across[64];
    std::snprintf(across, sizeof across, "%.4g %s", diameter_m * horn::units_per_metre(unit_code(wall.unit)),
                  wall.unit.c_str());
    throw std::runtime_error(at + e.what() + " (the aperture is " + across + " across: is {unit} right?)");
  } catch (const std::exception& e) {
    throw std::runtime_error(at + e.what());
  }
}

std::string read_text_file(const std::string& option, const std::string& path, std::uintmax_t limit) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored))
    throw UsageError(option + ": cannot read " + shortened(path) + ": it is a folder");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UsageError(option + ": cannot read " + shortened(path) + ": " + std::strerror(errno));
  std::string text;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > limit)
      throw UsageError(option + ": " + shortened(path) + ": larger than " + std::to_string(limit >> 20) +
                       " MiB");
  }
  if (in.bad()) throw UsageError(option + ": cannot read " + shortened(path));
  return text;
}

void add_profile_option(CLI::App& app, HornOptions& o) {
  auto* profile = app.add_option("--profile", o.profile,
                                 "wall profile file: z and radius a line, in --unit, from the feeding "
                                 "waveguide to the aperture ('#' comments); the modal model's horn")
                      ->type_name("FILE");
  for (const char* name : {"--aperture-diameter", "--slant-radius", "--cone-angle", "--waveguide-diameter",
                           "--axial-length", "--cone-length"}) {
    auto* option = app.get_option(name);
    option->required(false);
    profile->excludes(option);
  }
}

void settle_model(const HornOptions& o, bool model_given, std::string& model) {
  const bool wall = !o.profile.empty();
  const std::string walls = model_name(models::default_model(true));
  if (wall && model_given) {
    const auto named = models::find(model);
    require(named && models::describes_walls(*named),
            "{profile}: a wall profile is the " + walls + " model's ({model} " + walls + ")");
  } else if (wall || !model_given) {
    model = model_name(models::default_model(wall));
  }
  warn_of_outside_left_out(o.wall_thickness.has_value(), o.flange_diameter.has_value(), model);
}

void settle_model(const CLI::App& app, const HornOptions& o, std::string& model) {
  settle_model(o, app.get_option("--model")->count() > 0, model);
}

void require_outside_options(const HornOptions& o) {
  bor::require_outside_lengths(o.wall_thickness, o.flange_diameter);
}

void warn_of_outside_left_out(bool wall_thickness, bool flange_diameter, const std::string& model) {
  const auto named = models::find(model);
  if (!(wall_thickness || flange_diameter) || !named || models::whole_sphere(*named)) return;
  text::warn(std::string("warning: ") + (wall_thickness ? "--wall-thickness" : "--flange-diameter") +
             ": the " + model + " model leaves the horn's outside out (the " +
             model_name(models::default_model(true)) + " model takes it)");
}

namespace {

// The outside of --wall-thickness and --flange-diameter, in the wall's
// description too.
void add_outside(Wall& wall, const HornOptions& o, double metres) {
  require_outside_options(o);
  if (!o.wall_thickness) return;
  try {
    wall.outside = bor::thick_wall(wall.points, double(*o.wall_thickness) * metres,
                                   o.flange_diameter ? double(*o.flange_diameter) * metres : 0.0);
  } catch (const modal::ProfileError& e) {
    throw UsageError((o.flange_diameter ? "{flange_diameter}: " : "{wall_thickness}: ") + e.fault);
  }
  wall.description += ", wall " + shortest(*o.wall_thickness) + " " + o.unit + " thick";
  if (o.flange_diameter)
    wall.description += ", flange " + shortest(*o.flange_diameter) + " " + o.unit + " across";
}

}  // namespace

Wall wall_from(const HornOptions& o) {
  const double metres = 1.0 / horn::units_per_metre(unit_code(o.unit));
  if (!o.profile.empty()) {
    std::optional<Wall> profile_wall;
    const std::string text = read_text_file("{profile}", o.profile, max_profile_bytes);
    const std::string file = shortened(o.profile);
    std::vector<std::size_t> lines;
    try {
      Wall wall{modal::read_profile(text, metres, &lines),
                "",
                "Horn of revolution",
                "profile " + file,
                {},
                o.unit,
                {}};
      wall.source = file + ": line " + std::to_string(lines.front()) + ": ";
      std::vector<std::size_t> outside_lines;
      wall.outside = modal::read_outside(text, metres, &outside_lines);
      if (!wall.outside.empty()) {
        try {
          bor::check_outside(wall.points, wall.outside);
        } catch (const modal::ProfileError& e) {
          if (e.point == 0) throw UsageError(file + ": " + e.fault);
          throw numerics::InputError("", outside_lines[e.point - 1], e.fault);
        }
      }
      profile_wall = std::move(wall);
    } catch (const numerics::InputError& e) {
      throw e.in_file(file);
    } catch (const std::invalid_argument& e) {
      throw UsageError(file + ": " + e.what());
    }
    if (!profile_wall->outside.empty()) {
      require(!o.wall_thickness, "{wall_thickness}: the profile gives its outside already");
      require(!o.flange_diameter, "{flange_diameter}: the profile gives its outside already");
    }
    add_outside(*profile_wall, o, metres);
    return std::move(*profile_wall);
  }
  require(o.waveguide_diameter.has_value(),
          "{waveguide_diameter}: the modal model starts at the feeding waveguide (give it, or {profile})");
  // The cone itself as the classic description completes it; the waveguide
  // may come with any flare description here.
  HornOptions cone = o;
  if (o.slant_radius || o.cone_angle) cone.waveguide_diameter.reset();
  const horn::Horn h = horn_from(cone);
  const double d = double(*o.waveguide_diameter), aperture = double(h.aperture_diameter);
  require(std::isfinite(d) && d > 0.0 && d < aperture,
          "{waveguide_diameter}: must be a positive length below the aperture diameter");
  const double b = d / 2.0 * metres, a = aperture / 2.0 * metres;
  const double axial = o.axial_length ? double(*o.axial_length) * metres
                                      : (a - b) / std::tan(double(h.cone_angle) * std::numbers::pi / 180.0);
  require(std::isfinite(axial) && axial > 0.0, "the flare description gives no real cone");
  std::string description = horn_description(h);
  if (!h.has_waveguide())
    description += ", from a " + shortest(*o.waveguide_diameter) + " " + unit_name(h) + " waveguide";
  Wall wall{modal::cone_from_guide(b, a, axial),
            "{waveguide_diameter}: ",
            "TE-11 conical horn",
            description,
            h,
            o.unit,
            {}};
  add_outside(wall, o, metres);
  return wall;
}

nlohmann::ordered_json wall_json(const Wall& wall, const HornOptions& options) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  if (!wall.cone) {
    j["profile"] = options.profile;
    return j;
  }
  j["horn"] = horn_json(*wall.cone);
  if (!wall.cone->has_waveguide()) j["horn"]["waveguide_diameter"] = json_number(*options.waveguide_diameter);
  return j;
}

void require_wall_above_cut_off(const Wall& wall, double highest_frequency) {
  const double cut_off = modal::te11_cut_off_ghz(wall.points.front().radius);
  if (highest_frequency > cut_off) return;
  char text[160];
  std::snprintf(text, sizeof text,
                "the feeding waveguide is below its TE-11 cut-off (%.4g GHz) at every frequency asked",
                cut_off);
  throw UsageError(wall.source + text);
}

}  // namespace cli
