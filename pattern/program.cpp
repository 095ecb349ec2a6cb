// veskal-pattern: the E- and H-plane far-field pattern of a TE-11 conical
// horn as a CSV table or an SVG picture.
#include "pattern/program.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/options.hpp"
#include "cli/output.hpp"
#include "cli/wall.hpp"
#include "exchange/pattern_files.hpp"
#include "horn/characteristics.hpp"
#include "modal/band.hpp"
#include "models/classic.hpp"
#include "models/domain.hpp"
#include "numerics/checked_math.hpp"
#include "pattern/render.hpp"
#include "reflector/sources.hpp"
#include "tables/pattern_files.hpp"
#include "tables/pattern_table.hpp"
#include "text/warnings.hpp"

namespace pattern {
namespace {

constexpr std::size_t max_angles = 1000000;

// The aperture models describe the forward half-space only; the modal
// model, with the horn's outside, the whole sphere.
double widest_angle(cli::Model model) { return models::whole_sphere(model) ? 180.0 : 90.0; }

struct Options {
  std::vector<float> frequency;
  cli::HornOptions horn;
  std::optional<double> from = 0.0, to = 90.0, step = 0.5;
  std::string format = "csv";
  std::string output;
  std::string reference = "aperture";
  std::string model;
};

// The pattern file of the format asked, its GRASP header naming the horn.
void write_sources(const Options& o, const std::vector<exchange::Source>& sources, const std::string& horn) {
  cli::Transaction transaction;
  cli::OutputStream& out = transaction.open(o.output);
  pattern_files::write([&out](std::string_view text) { out.write(text); }, o.format, sources, *o.step,
                       "veskal-pattern " VESKAL_VERSION ", " + horn);
  transaction.commit();
}

// The pattern file of a cone in the classic model or an aperture engine.
int write_pattern_file(const Options& o, const horn::Horn& horn, cli::Model model) {
  write_sources(
      o, pattern_files::cone_sources(horn, o.frequency, model),
      "TE-11 conical horn, " + text::horn_description(horn) + ", " + cli::model_name(model) + " model");
  return 0;
}

// What the mode-matching engine raises at one frequency, as one line.
[[noreturn]] void modal_failure(float frequency, const std::exception& e) {
  throw std::runtime_error("at " + text::shortest(frequency) + " GHz: " + e.what());
}

int modal_program(const Options& o, const cli::Wall& wall, cli::Model model) {
  const float highest = *std::max_element(o.frequency.begin(), o.frequency.end());
  const modal::Band band = cli::settled_band(wall, highest);
  if (pattern_files::is_format(o.format)) {
    write_sources(o, pattern_files::modal_sources(band, o.frequency, model),
                  wall.kind + ", " + wall.description + ", " + cli::model_name(model) + " model");
    return 0;
  }
  const auto reference =
      o.reference == "aperture" ? pattern::PhaseReference::aperture : pattern::PhaseReference::phase_centre;
  const float frequency = o.frequency.front();
  std::string text;
  try {
    const auto result = pattern::compute_modal_pattern(
        band, frequency, pattern::angles(*o.from, *o.to, *o.step), reference, o.format == "svg", model);
    if (o.format == "csv") {
      text = pattern::to_csv(result);
    } else {
      text = pattern::to_svg(result, {wall.description, frequency, "", wall.kind});
    }
  } catch (const pattern::NoPhaseCentre&) {
    throw;
  } catch (const std::exception& e) {
    modal_failure(frequency, e);
  }
  cli::write_output(o.output, text);
  return 0;
}

}  // namespace

// A pattern file's request: the whole sphere at --step, for the files'
// frequencies and size.
void check_file_request(Options& o, bool angles_given, bool step_given) {
  using cli::require;
  require(!angles_given, "--from, --to: a pattern file covers the whole sphere; give --step alone");
  require(o.reference == "aperture",
          "--phase-reference: a pattern file refers its phases to the aperture centre (place that point "
          "in the reflector program)");
  if (!step_given) o.step = pattern_files::default_step(o.format);
  pattern_files::check_request(o.format, *o.step, o.frequency.size());
}

// A table's or a picture's request: one frequency, angles in the forward
// half-space (the whole sphere for the modal model).
void check_table_request(const Options& o, cli::Model model) {
  using cli::require;
  require(o.frequency.size() == 1, "--frequency: csv and svg show one frequency");
  const double widest = widest_angle(model);
  if (widest < 180.0) {
    require(*o.from >= -widest && *o.from <= widest,
            "--from: must lie within -90 ... 90 degrees (the model describes the forward half-space only)");
    require(*o.to >= *o.from && *o.to <= widest,
            "--to: must lie within --from ... 90 degrees (the model describes the forward half-space only)");
  } else {
    require(*o.from >= -widest && *o.from <= widest, "--from: must lie within -180 ... 180 degrees");
    require(*o.to >= *o.from && *o.to <= widest, "--to: must lie within --from ... 180 degrees");
  }
  require(*o.step > 0.0, "--step: must be a positive number of degrees");
  require((*o.to - *o.from) / *o.step < double(max_angles),
          "--step: too small for the range (a million angles at most)");
}

// The table or picture of a cone in the classic model or the aperture
// engine.
int cone_program(const Options& o, const horn::Horn& horn, cli::Model model) {
  const auto reference =
      o.reference == "aperture" ? pattern::PhaseReference::aperture : pattern::PhaseReference::phase_centre;
  const float frequency = o.frequency.front();
  std::string text;
  try {
    const auto result =
        pattern::compute_pattern(frequency, horn.in_inches(), pattern::angles(*o.from, *o.to, *o.step),
                                 reference, o.format == "svg", model);
    // Classic figures beyond the tables: a warning, with or without a picture.
    const float s = horn::phase_error(horn.in_inches(), frequency);
    const bool classic_shown = model == cli::Model::classic || result.has_beamwidths;
    std::string warning;
    if (classic_shown && models::beyond_classic_tables(s)) {
      text::warn(models::beyond_tables_warning(s));
      warning = "classic figures beyond the tables (s = " + text::fixed(double(s), 3) +
                " > 0.8): not to be trusted";
    }
    if (const std::string keys = pattern_files::warn_of_domain(model, horn, frequency); !keys.empty())
      warning += (warning.empty() ? "" : "; ") + std::string("outside the model's domain: ") + keys;
    if (o.format == "csv") {
      text = pattern::to_csv(result);
    } else {
      const pattern::Description description{text::horn_description(horn), frequency, warning};
      text = pattern::to_svg(result, description);
    }
  } catch (const numerics::DomainError& e) {
    std::cerr << "veskal-pattern: " << models::classic_failure(horn.in_inches(), frequency) << "\n";
    return cli::failure_status;
  }
  cli::write_output(o.output, text);
  return 0;
}

int program(int argc, char** argv) {
  CLI::App app{"E- and H-plane far-field pattern of a TE-11 mode conical horn", "veskal-pattern"};
  app.set_version_flag("--version", "veskal-pattern " VESKAL_VERSION);
  Options o;
  cli::add_numbers(app, "--frequency", o.frequency,
                   "frequency, GHz (cut, ffs, ffd: several, separated by commas, or @FILE: one a line)")
      ->required();
  cli::add_horn_options(app, o.horn);
  auto* from =
      cli::add_number(app, "--from", o.from,
                      "first angle from the axis, degrees (-90 ... 90; the modal model -180 ... 180)")
          ->default_str("0");
  auto* to = cli::add_number(app, "--to", o.to,
                             "last angle from the axis, degrees (--from ... 90; the modal model ... 180)")
                 ->default_str("90");
  auto* step = cli::add_number(app, "--step", o.step,
                               "angle step, degrees (ffs and ffd: 1 unless given; the files: dividing 180)")
                   ->default_str("0.5");
  app.add_option("--format", o.format,
                 "csv (a table), svg (a picture), or a pattern file over the whole sphere: cut (GRASP), ffs "
                 "(CST far-field source), ffd (HFSS far-field data), cassbeam (its feed pattern)")
      ->check(CLI::IsMember({"csv", "svg", "cut", "ffs", "ffd", "cassbeam"}))
      ->capture_default_str();
  app.add_option("--output", o.output, "file to write (default: standard output)");
  app.add_option("--phase-reference", o.reference,
                 "phases referred to the aperture centre, or to each plane's phase centre")
      ->check(CLI::IsMember({"aperture", "phase-centre"}))
      ->capture_default_str();
  cli::add_model_option(app, o.model, models::all_models(), "the pattern's model");
  cli::add_profile_option(app, o.horn);

  horn::Horn horn;
  std::optional<cli::Wall> wall;
  const auto usage = cli::parse(app, argc, argv, [&] {
    using cli::require;
    for (const float f : o.frequency) require(f > 0.0f, "--frequency: must be a positive number of GHz");
    cli::require_outputs_apart_from_inputs({{"--output", o.output}}, {{"--profile", o.horn.profile}});
    cli::settle_model(app, o.horn, o.model);
    if (models::describes_walls(cli::model_from(o.model))) {
      wall = cli::wall_from(o.horn);
      cli::require_wall_above_cut_off(*wall, *std::max_element(o.frequency.begin(), o.frequency.end()));
    } else {
      horn = cli::horn_from(o.horn);
    }
    if (pattern_files::is_format(o.format))
      check_file_request(o, from->count() + to->count() > 0, step->count() > 0);
    else
      check_table_request(o, cli::model_from(o.model));
  });
  if (usage) return *usage;

  const cli::Model model = cli::model_from(o.model);
  if (wall) return modal_program(o, *wall, model);
  if (pattern_files::is_format(o.format)) return write_pattern_file(o, horn, model);
  return cone_program(o, horn, model);
}

}  // namespace pattern
