// veskal-sweep: the characteristics of one horn over a frequency sweep as a
// CSV table, a JSON document, an SVG picture or veskal's own report file,
// with the aperture engine's or the mode-matching engine's figures beside the
// classic ones on request; a wall profile by the mode-matching engine alone.
#include "sweep/program.hpp"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/json.hpp"
#include "cli/options.hpp"
#include "cli/output.hpp"
#include "cli/wall.hpp"
#include "horn/units.hpp"
#include "models/classic.hpp"
#include "models/domain.hpp"
#include "models/registry.hpp"
#include "sweep/formats.hpp"
#include "tables/sweep_table.hpp"
#include "text/frequency_list.hpp"
#include "text/warnings.hpp"

namespace sweep {
namespace {

constexpr std::size_t max_rows = 10000000;

struct Options {
  cli::HornOptions horn;
  cli::FrequencyOptions frequencies;
  std::string format = "csv";
  std::string output;
  bool check = false;
  std::string model;
};

nlohmann::ordered_json options_json(const Options& o, cli::Model model) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  if (!o.frequencies.list.empty()) {
    j["frequencies_ghz"] = nlohmann::ordered_json::array();
    for (float f : o.frequencies.list) j["frequencies_ghz"].push_back(cli::json_number(f));
  } else {
    j["start_ghz"] = cli::json_number(*o.frequencies.start);
    j["stop_ghz"] = cli::json_number(*o.frequencies.stop);
    j["step_ghz"] = cli::json_number(*o.frequencies.step);
  }
  j["check"] = o.check;
  if (o.check) j["model"] = cli::model_name(model);
  return j;
}

}  // namespace

// The writer of the format asked for.
std::unique_ptr<sweep::Writer> writer_for(const Options& o, const horn::Horn& horn,
                                          const std::optional<cli::Wall>& wall, const sweep::Layout& layout,
                                          cli::Model model, std::int64_t count, const sweep::Sink& sink) {
  const std::string engine_name = o.check ? std::string(models::info(model).title) : "";
  const std::string unit_name(horn::unit_name(cli::unit_code(o.horn.unit)));
  nlohmann::ordered_json source = nlohmann::ordered_json::object();
  if (wall)
    source = cli::wall_json(*wall, o.horn);
  else
    source["horn"] = cli::horn_json(horn);
  if (o.format == "csv") return sweep::csv_writer(sink, layout);
  if (o.format == "json") return sweep::json_writer(sink, source, unit_name, options_json(o, model), layout);
  if (o.format == "svg") {
    const std::string title =
        wall ? wall->kind + ", " + wall->description : "TE-11 conical horn, " + text::horn_description(horn);
    return sweep::svg_writer(sink, {title, engine_name, unit_name, layout}, count);
  }
  return sweep::report_writer(sink, horn, o.frequencies.list.empty());
}

// What the rows said, for the closing messages and the exit status.
struct Tally {
  text::FrequencyList incomplete, not_finite, refused, beyond;
  std::string first_reason, first_refusal;
  float largest_phase_error = 0.0f;

  sweep::Verdicts verdicts;

  void take(const sweep::Row& row, const sweep::Layout& layout) {
    verdicts.take(row);
    if (!row.classic_error.empty() && layout.classic) {
      if (incomplete.count() + not_finite.count() == 0)
        first_reason = row.classic_error + " at " + text::shortest(row.frequency) + " GHz";
      (row.classic ? not_finite : incomplete).add(row.frequency);
    }
    if (row.check && !row.check->figures) {
      if (refused.count() == 0) first_refusal = row.check->error;
      refused.add(row.frequency);
    }
    if (row.beyond_tables && row.classic) {
      beyond.add(row.frequency);
      if (!(row.phase_error <= largest_phase_error)) largest_phase_error = row.phase_error;
    }
  }

  // One line on standard error for each kind of row; the exit status.
  int report(std::size_t rows, const std::string& format) const {
    const std::string of = " of " + std::to_string(rows) + " rows";
    if (beyond.count() > 0)
      text::warn(models::beyond_tables_warning(largest_phase_error) + " (" + std::to_string(beyond.count()) +
                 of + ", at " + beyond.text() + ")");
    verdicts.warn(rows);
    if (refused.count() > 0)
      std::cerr << "veskal-sweep: " << refused.count() << of
                << " without the engine's figures: " << first_refusal << " (at " << refused.text() << ")\n";
    if (incomplete.count() + not_finite.count() > 0)
      std::cerr << "veskal-sweep: " << incomplete.count() + not_finite.count() << of
                << " incomplete: " << first_reason << " (at "
                << (incomplete.count() > 0 ? incomplete : not_finite).text() << ")"
                << (format == "report" && incomplete.count() > 0
                        ? "; the report ends before the first of them, as veskal's run would"
                        : "")
                << "\n";
    return incomplete.count() + not_finite.count() + refused.count() > 0 ? cli::failure_status : 0;
  }
};

int program(int argc, char** argv) {
  CLI::App app{"Gain, beamwidths and phase centres of a TE-11 mode conical horn over a frequency sweep",
               "veskal-sweep"};
  app.set_version_flag("--version", "veskal-sweep " VESKAL_VERSION);
  Options o;
  cli::add_horn_options(app, o.horn);
  cli::add_frequency_options(app, o.frequencies);
  app.add_option("--format", o.format, "csv, json, svg (a picture) or report (veskal's report file)")
      ->check(CLI::IsMember({"csv", "json", "svg", "report"}))
      ->capture_default_str();
  app.add_option("--output", o.output, "file to write (default: standard output)");
  app.add_flag("--check", o.check, "add the engine's figures and the limits check");
  cli::add_model_option(app, o.model, models::engine_models(),
                        "the engine for --check (modal adds the return loss and the cross-polar peak)");
  cli::add_profile_option(app, o.horn);

  horn::Horn horn;
  std::optional<cli::Wall> wall;
  cli::Frequencies frequencies;
  const auto usage = cli::parse(app, argc, argv, [&] {
    using cli::require;
    cli::require_outputs_apart_from_inputs({{"--output", o.output}}, {{"--profile", o.horn.profile}});
    // A wall profile's rows are the engine's: --model names which of the wall models.
    require(o.check || !o.horn.profile.empty() || app.get_option("--model")->count() == 0,
            "--model requires --check");
    cli::settle_model(app, o.horn, o.model);
    if (!o.horn.profile.empty()) o.check = true;  // a wall's figures are the engine's alone
    frequencies = cli::frequencies(o.frequencies, max_rows);
    require(o.horn.profile.empty() || o.format != "report",
            "--format report: the report holds a cone's classic rows; a wall profile has none");
    if (o.check && models::describes_walls(cli::model_from(o.model))) {
      // The waveguide may come with any flare description here.
      wall = cli::wall_from(o.horn);
      cli::require_wall_above_cut_off(*wall, frequencies.highest());
      sweep::require_modal_rows(frequencies.count);
      if (wall->cone) horn = *wall->cone;
    } else {
      horn = cli::horn_from(o.horn);
    }
    require(!(o.check && o.format == "report"), "--check: the report has no room for the engine's figures");
  });
  if (usage) return *usage;
  const cli::Model model = cli::model_from(o.model);
  const bool modal = wall.has_value();
  const auto checked = o.check && !modal ? std::optional(model) : std::nullopt;
  const sweep::Layout layout{!wall || wall->cone.has_value(), o.check, modal};
  const std::optional<modal::Band> band =
      modal ? std::optional(cli::settled_band(*wall, frequencies.highest())) : std::nullopt;
  const std::int32_t unit = cli::unit_code(o.horn.unit);

  cli::Transaction transaction;
  cli::OutputStream& out = transaction.open(o.output);
  const sweep::Sink sink = [&out](std::string_view text) { out.write(text); };
  const std::unique_ptr<sweep::Writer> writer =
      writer_for(o, horn, wall, layout, model, frequencies.count, sink);

  Tally tally;
  if (band) tally.verdicts = sweep::Verdicts(band->target());
  auto take = [&](const sweep::Row& row) {
    writer->row(row);
    tally.take(row, layout);
  };
  if (modal) {
    sweep::for_each_modal_row(
        wall->cone, unit, *band, frequencies.count, [&](std::int64_t j) { return frequencies[j]; }, take,
        [] {}, model);
  } else {
    for (std::int64_t i = 0; i < frequencies.count; ++i)
      take(sweep::compute_row(horn, frequencies[i], checked));
  }
  writer->finish();
  transaction.commit();

  return tally.report(static_cast<std::size_t>(frequencies.count), o.format);
}

}  // namespace sweep
