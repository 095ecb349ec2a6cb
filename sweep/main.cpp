// veskal-sweep: the characteristics of one horn over a frequency sweep as a
// CSV table, a JSON document, an SVG picture or veskal's own report file,
// with the aperture engine's figures beside the classic ones on request.
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/options.hpp"
#include "sweep/formats.hpp"
#include "sweep/sweep_table.hpp"

namespace {

constexpr std::size_t max_rows = 10000000;

struct Options {
  cli::HornOptions horn;
  cli::FrequencyOptions frequencies;
  std::string format = "csv";
  std::string output;
  bool check = false;
  std::string model = "quadratic";
};

nlohmann::ordered_json options_json(const Options& o) {
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
  if (o.check) j["model"] = o.model;
  return j;
}

int run(int argc, char** argv) {
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
  auto* check = app.add_flag("--check", o.check, "add the aperture engine's figures and the limits check");
  cli::add_model_option(app, o.model, {"quadratic", "spherical"});
  app.get_option("--model")->needs(check);

  horn::Horn horn;
  std::vector<float> frequencies;
  const auto usage = cli::parse(app, argc, argv, [&] {
    horn = cli::horn_from(o.horn);
    frequencies = cli::frequencies(o.frequencies, max_rows);
    cli::require(!(o.check && o.format == "report"),
                 "--check: the report has no room for the engine's figures");
  });
  if (usage) return *usage;

  const auto phase = o.check ? std::optional(cli::phase_of(o.model)) : std::nullopt;
  const sweep::Table table = sweep::compute(horn, frequencies, phase);
  std::string text;
  if (o.format == "csv") text = sweep::to_csv(table);
  if (o.format == "json") text = sweep::to_json(table, options_json(o));
  if (o.format == "svg") text = sweep::to_svg(table, "TE-11 conical horn, " + cli::horn_description(horn));
  if (o.format == "report") text = sweep::to_report(table, o.frequencies.list.empty());
  if (!cli::write_output(o.output, text)) {
    std::cerr << "veskal-sweep: --output: cannot write " << o.output << "\n";
    return cli::failure_status;
  }

  if (const std::size_t incomplete = table.incomplete(); incomplete > 0) {
    std::string where;
    for (const sweep::Row& r : table.rows)
      if (!r.classic && where.size() < 200) where += (where.empty() ? "" : ", ") + cli::shortest(r.frequency);
    std::cerr << "veskal-sweep: " << incomplete << " of " << table.rows.size()
              << " rows incomplete: the classic beamwidth model cannot describe an aperture this small in "
                 "wavelengths (at "
              << where << (where.size() >= 200 ? ", ..." : "") << " GHz)"
              << (o.format == "report" ? "; the report ends before the first of them, as veskal's run would"
                                       : "")
              << "\n";
    return cli::failure_status;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return cli::guarded_main("veskal-sweep", run, argc, argv); }
