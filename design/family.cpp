#include "design/family.hpp"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/family.hpp"
#include "cli/output.hpp"
#include "cli/usage.hpp"
#include "cli/wall.hpp"
#include "models/registry.hpp"
#include "synthesis/families.hpp"

namespace design {

void add_family_options(CLI::App& app, FamilyOptions& o) {
  std::string names = "cone";
  std::vector<std::string> choices{"cone"};
  for (const synthesis::FamilyInfo& f : synthesis::families()) {
    names += ", " + std::string(f.name) + " (" + std::string(f.description) + ")";
    choices.emplace_back(f.name);
  }
  app.add_option("--family", o.family,
                 "the horn's family: " + names +
                     "; a family other than cone is designed for the band (--start, --stop, --step or "
                     "--frequencies, or --frequency) by its published rule, then the optimiser")
      ->check(CLI::IsMember(choices))
      ->capture_default_str();
  auto& only = o.family_only;
  only.push_back(
      app.add_flag("--over-band", o.over_band,
                   "the pattern requirement at every frequency of the band, not only at its centre"));
  only.push_back(
      cli::add_number(app, "--return-loss", o.return_loss, "the least return loss over the band, dB"));
  only.push_back(cli::add_number(app, "--cross-polar", o.cross_polar,
                                 "the largest cross-polar peak over the band, dB (e.g. -30)"));
  only.push_back(cli::add_number(app, "--phase-centre-spread", o.phase_centre_spread,
                                 "how far the phase centre may wander over the band, in --unit"));
  only.push_back(cli::add_number(app, "--max-length", o.max_length, "the longest horn, in --unit"));
  only.push_back(cli::add_number(app, "--max-aperture-diameter", o.max_aperture_diameter,
                                 "the widest aperture, in --unit"));
  only.push_back(cli::add_number(app, "--min-ridge", o.min_ridge,
                                 "the thinnest ridge or slot the workshop can make, in --unit"));
  only.push_back(app.add_option("--profile-output", o.profile_output,
                                "write the designed wall profile (the format --profile reads) to this file"));
  only.push_back(app.add_option("--evaluations", o.evaluations, "the optimiser's budget of band evaluations")
                     ->capture_default_str());
  only.push_back(
      cli::add_number(app, "--tolerance", o.tolerance,
                      "a tolerance study: every dimension moved by a uniform error within +- this, in "
                      "--unit"));
  only.push_back(
      app.add_option("--samples", o.samples, "the tolerance study's samples")->capture_default_str());
  only.push_back(app.add_option("--seed", o.seed, "the tolerance study's seed")->capture_default_str());
}

int family_design(const FamilyOptions& o, const FamilyRequest& r) {
  using cli::require;
  cli::FamilyArguments arguments{o.family,         r.frequency,
                                 r.band,           r.gain,
                                 r.beamwidth_10db, r.edge_taper,
                                 r.half_angle,     r.f_over_d,
                                 o.over_band,      o.return_loss,
                                 o.cross_polar,    o.phase_centre_spread,
                                 o.max_length,     o.max_aperture_diameter,
                                 o.min_ridge,      r.waveguide_diameter,
                                 r.wall_thickness, r.flange_diameter,
                                 r.unit,           r.model,
                                 o.evaluations};
  const cli::FamilyProblem asked = cli::family_problem(arguments);
  require(o.samples >= 1 && o.samples <= cli::max_samples,
          "{samples}: must lie within 1 ... " + std::to_string(cli::max_samples));
  require(!o.tolerance || *o.tolerance > 0.0f, "{tolerance}: must be a positive length");
  cli::require_distinct_outputs({{"--output", r.output}, {"--profile-output", o.profile_output}});

  cli::FamilyDesign d;
  try {
    d = cli::design_family(asked);
  } catch (const synthesis::Unfit& e) {
    std::fprintf(stderr, "veskal-design: %s\n", cli::unfit_message(e, asked).c_str());
    return cli::failure_status;
  }
  std::optional<synthesis::ToleranceStudy> study;
  if (o.tolerance)
    study = synthesis::tolerance_study(asked.problem, d.wall, d.outside, d.band,
                                       double(*o.tolerance) * asked.metres_per_unit, o.samples, o.seed);
  std::string out;
  if (r.format == "json") {
    nlohmann::ordered_json j = cli::family_json(d);
    if (!o.profile_output.empty()) j["profile_file"] = o.profile_output;
    if (study) j["tolerance"] = cli::tolerance_json(*study, *o.tolerance, o.seed);
    out = j.dump(1) + "\n";
  } else {
    out = cli::family_text(d);
    if (study) out += cli::tolerance_text(*study, *o.tolerance, r.unit, o.seed);
  }
  cli::Transaction transaction;
  if (!o.profile_output.empty()) transaction.open(o.profile_output).write(d.profile);
  transaction.open(r.output).write(out);
  transaction.commit();
  if (const std::string why = cli::shortfall_message(d); !why.empty()) {
    std::fprintf(stderr, "veskal-design: %s\n", why.c_str());
    return cli::failure_status;
  }
  return 0;
}

}  // namespace design
