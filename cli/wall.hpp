// The wall of a horn for the mode-matching engine, from the command line:
// --profile FILE (z and radius a line, in --unit), or the smooth cone of the
// horn options with its feeding waveguide.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.hpp"
#include "modal/band.hpp"
#include "modal/horn.hpp"

namespace cli {

// The text of a file the user names with `option`, at most `limit` bytes;
// UsageError naming the option, the file and the system's reason.
std::string read_text_file(const std::string& option, const std::string& path, std::uintmax_t limit);

// Adds --profile FILE to the horn options: a wall instead of the cone's
// description (which it excludes), so the aperture diameter is then not
// required.
void add_profile_option(CLI::App& app, HornOptions& options);

// After the parse: the model the run uses, in `model`. A --profile makes it
// the modal model (UsageError when --model was given and names another);
// otherwise, when --model was not given, the registry's default for the
// horn (models::default_model).
void settle_model(const HornOptions& options, bool model_given, std::string& model);
void settle_model(const CLI::App& app, const HornOptions& options, std::string& model);

struct Wall {
  std::vector<modal::ProfilePoint> points;  // m
  std::string source;                       // "FILE: line N: " of the first point, or the option
  std::string kind;                         // "TE-11 conical horn" or "Horn of revolution"
  std::string description;                  // the cone's geometry, or "profile FILE"
  std::optional<horn::Horn> cone;           // the cone's completed geometry, for a cone
  std::string unit;                         // the unit its lengths were given in
  // The outer contour (bor/horn.hpp), from the profile's `outside` lines or
  // --wall-thickness and --flange-diameter; empty: a thin wall.
  std::vector<modal::ProfilePoint> outside;
};

// The wall from --profile, or the cone: --aperture-diameter with one flare
// description and --waveguide-diameter (with --slant-radius or --cone-angle
// too), a waveguide one diameter long before the flare (the input reference
// plane). UsageError for a file that does not parse or is not a horn
// ("FILE: line N: fault"), or a cone without its waveguide.
Wall wall_from(const HornOptions& options);

// What a JSON document says the horn is: {"horn": the cone's geometry with
// its waveguide_diameter} or {"profile": the file's name}.
nlohmann::ordered_json wall_json(const Wall& wall, const HornOptions& options);

// UsageError unless the feeding waveguide carries TE-11 at the highest of
// the frequencies (GHz).
void require_wall_above_cut_off(const Wall& wall, double highest_frequency);

// UsageError for --wall-thickness or --flange-diameter that is not a
// positive length, or a flange without the wall's thickness.
void require_outside_options(const HornOptions& options);

// The warning (text::warn) for --wall-thickness or --flange-diameter given
// with a model that leaves the horn's outside out; nothing otherwise.
void warn_of_outside_left_out(bool wall_thickness, bool flange_diameter, const std::string& model);

// The wall's band settled at the highest frequency (GHz), as every program
// settles it: a failure becomes "at F GHz: why" (for a limit, with the
// aperture's size in the unit, the likely slip being a wrong --unit); a
// warning (text::warn) when the steps and modes did not settle to the
// target.
modal::Band settled_band(const Wall& wall, double highest_frequency);

}  // namespace cli
