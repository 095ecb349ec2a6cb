// veskal-feed: what a TE-11 conical horn (or a pattern brought from
// elsewhere) does to a paraboloid: the feed efficiencies, edge taper,
// cross-polar peak and best phase centre for each reflector, and the
// reflector that suits the feed best.
#include "feed/program.hpp"

#include <cmath>
#include <iostream>
#include <string>
#include <utility>

#include "aperture/figures.hpp"
#include "cli/json.hpp"
#include "cli/options.hpp"
#include "cli/output.hpp"
#include "cli/wall.hpp"
#include "exchange/pattern_files.hpp"
#include "feed/formats.hpp"
#include "feed/render.hpp"
#include "horn/characteristics.hpp"
#include "horn/units.hpp"
#include "modal/band.hpp"
#include "models/classic.hpp"
#include "models/domain.hpp"
#include "numerics/errors.hpp"
#include "reflector/sources.hpp"
#include "text/frequency_list.hpp"
#include "text/warnings.hpp"

namespace feed {
namespace {

struct Options {
  cli::HornOptions horn;
  cli::FrequencyOptions frequencies;
  std::string pattern;
  std::string f_over_d, half_angle;
  std::optional<double> phase_centre, diameter;
  std::string format = "text";
  std::string output;
  std::string model;
};

// A list "a,b,c" or a range "from:to:step" (both ends included, the last
// within a thousandth of a step).
std::vector<double> values_of(const std::string& option, const std::string& text) {
  std::vector<double> values;
  if (text.find(':') != std::string::npos) {
    const std::size_t a = text.find(':'), b = text.find(':', a + 1);
    cli::require(b != std::string::npos && text.find(':', b + 1) == std::string::npos,
                 option + ": a range is FROM:TO:STEP");
    const double from = text::read_double(option, text.substr(0, a));
    const double to = text::read_double(option, text.substr(a + 1, b - a - 1));
    const double step = text::read_double(option, text.substr(b + 1));
    cli::require(step > 0.0 && to >= from, option + ": a range needs FROM <= TO and a positive STEP");
    const double count = std::floor((to - from) / step + 1e-3) + 1.0;
    require_reflectors(option, count);
    for (double i = 0.0; i < count; i += 1.0) values.push_back(from + i * step);
    return values;
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    values.push_back(text::read_double(option, text.substr(start, comma - start)));
    require_reflectors(option, double(values.size()));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return values;
}

// The cuts of a pattern file: veskal-pattern's CSV, a GRASP cut file, a CST
// or an HFSS far-field file.
std::vector<exchange::PlaneCuts> read_cuts(const std::string& path) {
  const std::string text = cli::read_text_file("--pattern", path, exchange::max_file_bytes);
  try {
    return exchange::read_plane_cuts(text);
  } catch (const exchange::FormatError& e) {
    throw cli::UsageError("--pattern: " + text::shortened(path) + ": " + e.what());
  }
}

FrequencyFeed file_feed(const exchange::PlaneCuts& cuts, float frequency, std::optional<double>& reach_db) {
  const reflector::SampledPattern sampled(cuts.angles, cuts.e, cuts.h);
  FrequencyFeed f{double(frequency),
                  numerics::wavelength_m(double(frequency)),
                  reflector::Feed(sampled, sampled.reach(), sampled.panels()),
                  {},
                  {},
                  {}};
  const auto last = sampled(sampled.reach()), axis = sampled(0.0);
  const double level =
      10.0 * std::log10((std::norm(last.e) + std::norm(last.h)) / (std::norm(axis.e) + std::norm(axis.h)));
  if (sampled.reach() < std::numbers::pi - 1e-9) reach_db = level;
  return f;
}

// What the command line settled, for the run.
struct Run {
  horn::Horn horn;
  cli::Frequencies frequencies;
  std::vector<double> half_angles;  // radians
  std::vector<exchange::PlaneCuts> cuts;
  std::int32_t unit = 1;
  std::optional<cli::Wall> wall;
};

// What the outputs say of the horn or the pattern file.
Heading heading_of(const Options& o, const Run& r, const std::string& model) {
  Heading h;
  const bool from_file = !o.pattern.empty();
  h.model = from_file ? "pattern file" : model;
  h.title = from_file ? "Pattern " + text::shortened(o.pattern)
            : r.wall  ? r.wall->kind + ", " + r.wall->description
                      : "TE-11 conical horn, " + text::horn_description(r.horn);
  h.unit = std::string(horn::unit_name(r.unit));
  h.with_gain = o.diameter.has_value();
  h.reflectors_given = r.half_angles.size() >= 2;
  return h;
}

// The JSON document's source: the horn, the wall or the pattern file.
nlohmann::ordered_json source_of(const Options& o, const Run& r) {
  nlohmann::ordered_json source = nlohmann::ordered_json::object();
  if (!o.pattern.empty())
    source["pattern"] = o.pattern;
  else if (r.wall)
    source = cli::wall_json(*r.wall, o.horn);
  else
    source["horn"] = cli::horn_json(r.horn);
  return source;
}

std::unique_ptr<Writer> writer_for(const Options& o, const Run& r, Sink sink) {
  const Heading h = heading_of(o, r, o.model);
  if (o.format == "csv") return csv_writer(std::move(sink), h);
  if (o.format == "json") return json_writer(std::move(sink), h, source_of(o, r));
  if (o.format == "svg") return svg_writer(std::move(sink), h);
  return text_writer(std::move(sink), h);
}

int run(const Options& o, const Run& r) {
  const cli::Model chosen = cli::model_from(o.model);
  const double units_per_metre = horn::units_per_metre(r.unit);
  const std::optional<double> diameter_m =
      o.diameter ? std::optional<double>(*o.diameter / units_per_metre) : std::nullopt;
  const std::optional<double> given_centre_m =
      o.phase_centre ? std::optional<double>(*o.phase_centre / units_per_metre) : std::nullopt;
  const bool from_file = !o.pattern.empty();
  const std::optional<modal::Band> band =
      r.wall ? std::optional(cli::settled_band(*r.wall, r.frequencies.highest())) : std::nullopt;

  cli::Transaction transaction;
  cli::OutputStream& out = transaction.open(o.output);
  const std::unique_ptr<Writer> writer = writer_for(o, r, [&out](std::string_view text) { out.write(text); });
  float largest_phase_error = 0.0f;
  Tally tally;
  for (std::int64_t i = 0; i < r.frequencies.count; ++i) {
    const float frequency = r.frequencies[i];
    std::optional<double> reach_db;
    FrequencyRows done = frequency_rows(
        frequency,
        [&] {
          return from_file ? file_feed(r.cuts[static_cast<std::size_t>(i)], frequency, reach_db)
                 : band    ? wall_feed(chosen, *band, r.wall->cone, frequency)
                           : horn_feed(r.horn, frequency, chosen);
        },
        r.half_angles, given_centre_m, diameter_m, units_per_metre);
    tally.take(frequency, done, !from_file);
    if (done.feed) {
      if (reach_db)
        text::warn("at " + text::shortest(frequency) + " GHz the pattern ends at " +
                   text::fixed(done.feed->feed.reach() / reflector::degree, 1) + " degrees, " +
                   text::fixed(-*reach_db, 1) + " dB below the axis: the spillover counts no power beyond");
      if (!from_file && chosen == cli::Model::classic) {
        const float s = horn::phase_error(r.horn.in_inches(), frequency);
        if (models::beyond_classic_tables(s) && !(s <= largest_phase_error)) largest_phase_error = s;
      }
    }
    writer->frequency(done.feed ? &*done.feed : nullptr, done.rows);
  }
  writer->finish();
  transaction.commit();
  if (largest_phase_error > 0.0f) text::warn(models::beyond_tables_warning(largest_phase_error));
  const std::string failures = tally.finish(r.frequencies.count);
  if (failures.empty()) return 0;
  std::cerr << "veskal-feed: " << failures << "\n";
  return cli::failure_status;
}

}  // namespace

int program(int argc, char** argv) {
  CLI::App app{
      "Feed efficiencies of a TE-11 mode conical horn on a paraboloid: spillover, illumination, "
      "phase, polarisation, edge taper, cross-polar peak, best phase centre and the optimum f/D",
      "veskal-feed"};
  app.set_version_flag("--version", "veskal-feed " VESKAL_VERSION);
  Options o;
  cli::add_horn_options(app, o.horn, false);
  cli::add_frequency_options(app, o.frequencies);
  auto* pattern = app.add_option(
      "--pattern", o.pattern,
      "E- and H-plane cuts instead of a horn: a veskal-pattern CSV table "
      "(phases referred to the aperture), a GRASP .cut file (cuts at phi 0 and 90), a CST .ffs "
      "or an HFSS .ffd far-field file (one pattern per frequency)");
  auto* f_over_d =
      app.add_option("--f-over-d", o.f_over_d,
                     "prime-focus paraboloids by f/D: a value, a list a,b,c or a range FROM:TO:STEP");
  auto* half_angle = app.add_option("--half-angle", o.half_angle,
                                    "reflectors by the half-angle the rim subtends at the focus, degrees (a "
                                    "Cassegrain system's equivalent paraboloid): a value, list or range");
  f_over_d->excludes(half_angle);
  cli::add_number(app, "--phase-centre", o.phase_centre,
                  "also show the phase efficiency with the feed's phase centre this far behind the aperture "
                  "(the pattern's reference point), in --unit");
  cli::add_number(app, "--reflector-diameter", o.diameter, "the reflector's diameter, in --unit: its gain");
  app.add_option("--format", o.format, "text, csv, json, or svg (a picture of one frequency)")
      ->check(CLI::IsMember({"text", "csv", "json", "svg"}))
      ->capture_default_str();
  app.add_option("--output", o.output, "file to write (default: standard output)");
  cli::add_model_option(app, o.model, models::all_models(), "the model of the horn's pattern");
  cli::add_profile_option(app, o.horn);
  for (const char* name : {"--aperture-diameter", "--slant-radius", "--cone-angle", "--waveguide-diameter",
                           "--axial-length", "--cone-length", "--profile"})
    app.get_option(name)->excludes(pattern);
  auto* model = app.get_option("--model");
  model->excludes(pattern);

  Run r;
  const auto usage = cli::parse(app, argc, argv, [&] {
    using cli::require;
    r.unit = cli::unit_code(o.horn.unit);
    cli::require_outputs_apart_from_inputs({{"--output", o.output}},
                                           {{"--profile", o.horn.profile}, {"--pattern", o.pattern}});
    cli::settle_model(app, o.horn, o.model);
    r.frequencies = cli::frequencies(o.frequencies, max_frequencies);
    if (o.pattern.empty() && models::describes_walls(cli::model_from(o.model))) {
      r.wall = cli::wall_from(o.horn);
      cli::require_wall_above_cut_off(*r.wall, r.frequencies.highest());
      if (r.wall->cone) r.horn = *r.wall->cone;
    } else if (o.pattern.empty()) {
      require(o.horn.aperture_diameter.has_value(),
              "--aperture-diameter, --profile or --pattern: a horn or a pattern is needed");
      r.horn = cli::horn_from(o.horn);
    }
    if (!o.f_over_d.empty())
      for (const double v : values_of("--f-over-d", o.f_over_d))
        r.half_angles.push_back(half_angle_of_f_over_d(v));
    if (!o.half_angle.empty())
      for (const double v : values_of("--half-angle", o.half_angle))
        r.half_angles.push_back(half_angle_of_degrees(v));
    require_rows(r.frequencies.count, r.half_angles.size());
    require(o.format != "svg" || r.frequencies.count == 1, "--format svg: draws one frequency; give one");
    if (o.diameter) require(*o.diameter > 0.0, "--reflector-diameter: must be a positive length");
    if (o.phase_centre) {
      // In wavelengths at the highest frequency, where the limit is met first.
      const double most = max_given_centre_wavelengths * numerics::wavelength_m(r.frequencies.highest()) *
                          horn::units_per_metre(r.unit);
      if (!(std::fabs(*o.phase_centre) <= most))
        throw numerics::LimitExceeded("--phase-centre: at most " +
                                          text::fixed(max_given_centre_wavelengths, 0) +
                                          " wavelengths from the aperture (" + text::shortest(float(most)) +
                                          " " + std::string(horn::unit_name(r.unit)) + " at " +
                                          text::shortest(r.frequencies.highest()) + " GHz)",
                                      "phase centre", std::fabs(*o.phase_centre), most);
    }
    if (!o.pattern.empty()) {
      r.cuts = read_cuts(o.pattern);
      require(std::int64_t(r.cuts.size()) == r.frequencies.count,
              "--pattern: " + text::shortened(o.pattern) + " holds " + std::to_string(r.cuts.size()) +
                  (r.cuts.size() == 1 ? " pattern" : " patterns") + " (one per frequency); give " +
                  std::to_string(r.cuts.size()) + (r.cuts.size() == 1 ? " frequency" : " frequencies"));
      for (std::size_t i = 0; i < r.cuts.size(); ++i)
        if (const auto f = r.cuts[i].frequency_ghz) {
          const double asked = r.frequencies[std::int64_t(i)];
          require(std::fabs(*f - asked) <= 1e-6 * asked,
                  "--pattern: " + text::shortened(o.pattern) + " holds its pattern " + std::to_string(i + 1) +
                      " at " + text::shortest(text::nine_digits(*f)) + " GHz, not at " +
                      text::shortest(float(asked)) + " GHz as --frequencies gives it");
        }
    }
  });
  if (usage) return *usage;
  return run(o, r);
}

}  // namespace feed
