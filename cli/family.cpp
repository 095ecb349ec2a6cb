#include "cli/family.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>
#include <string>

#include "cli/usage.hpp"
#include "cli/wall.hpp"
#include "horn/units.hpp"
#include "modal/band.hpp"
#include "models/domain.hpp"
#include "models/registry.hpp"
#include "numerics/parallel.hpp"
#include "reflector/feed.hpp"
#include "text/frequency_list.hpp"
#include "text/numbers.hpp"
#include "text/warnings.hpp"

namespace cli {
namespace {

using synthesis::Pattern;

// A length in the unit to a tenth of a micrometre (beyond any workshop's
// reach; mm: 4 decimals), trailing zeros dropped: the profile file's
// numbers, which the band table is computed from.
std::string length_text(double metres, double metres_per_unit) {
  const int decimals = static_cast<int>(std::ceil(std::log10(metres_per_unit / 1e-7) - 1e-9));
  std::string s = text::fixed(metres / metres_per_unit, decimals);
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

// "for 10.7 to 14.5 GHz (21 frequencies)", or "at 10 GHz".
std::string band_text(const std::vector<float>& band) {
  if (band.size() == 1) return "at " + text::shortest(band.front()) + " GHz";
  const auto [lo, hi] = std::minmax_element(band.begin(), band.end());
  return "for " + text::shortest(*lo) + " to " + text::shortest(*hi) + " GHz (" +
         std::to_string(band.size()) + " frequencies)";
}

std::string requirement_text(const synthesis::Requirements& q, float centre, const std::string& unit_name,
                             double mpu) {
  std::string out;
  auto add = [&](const std::string& s) { out += (out.empty() ? "" : ", ") + s; };
  const std::string where =
      q.over_band ? " at every frequency" : " at " + text::shortest(centre) + " GHz (the band's centre)";
  const std::string within = text::shortest(synthesis::pattern_tolerance(q.pattern));
  switch (q.pattern) {
    case Pattern::beamwidth_10db:
      add("10 dB beamwidth " + text::shortest(q.pattern_value) + " degrees within " + within + where);
      break;
    case Pattern::edge_taper:
      add("edge taper " + text::shortest(q.pattern_value) + " dB at " +
          text::shortest(static_cast<float>(q.half_angle)) + " degrees within " + within + " dB" + where);
      break;
    case Pattern::gain:
      add("gain " + text::shortest(q.pattern_value) + " dBi within " + within + " dB" + where);
      break;
    case Pattern::none: break;
  }
  if (q.return_loss_db) add("return loss at least " + text::shortest(*q.return_loss_db) + " dB");
  if (q.cross_polar_db) add("cross-polar peak at most " + text::shortest(*q.cross_polar_db) + " dB");
  if (q.phase_centre_spread)
    add("phase centre spread at most " + text::shortest(static_cast<float>(*q.phase_centre_spread / mpu)) +
        " " + unit_name);
  return out.empty() ? "none (the rule's horn)" : out;
}

// The written profile: a header naming the family, the requirements and
// the rule, then the wall (and its outside) in the unit.
std::string profile_text(const synthesis::Problem& p, const synthesis::Synthesis& s,
                         const std::string& unit_name, double metres_per_unit,
                         const std::vector<modal::ProfilePoint>& wall,
                         const std::vector<modal::ProfilePoint>& outside, float centre) {
  const synthesis::FamilyInfo& f = synthesis::info(p.family);
  std::string t = "# A " + std::string(f.name) + " horn " + band_text(p.frequencies) + ", lengths in " +
                  unit_name + ": z, then the wall's radius.\n";
  t += "# Designed by veskal-design --family " + std::string(f.name) + " in the " + models::name(p.model) +
       " model.\n";
  t += "# Requirements: " + requirement_text(p.requirements, centre, unit_name, metres_per_unit) + ".\n";
  t += "# Started from the rule of " + std::string(f.rule) + "; optimised by BOBYQA in " +
       std::to_string(s.evaluations) + " evaluations.\n";
  t += "# Parameters:";
  const auto params = synthesis::parameters(p.family);
  for (std::size_t i = 0; i < params.size(); ++i)
    t += std::string(i ? "," : "") + " " + std::string(params[i].name) + " " +
         (params[i].length ? length_text(s.best.design.values[i], metres_per_unit) + " " + unit_name
                           : text::fixed(s.best.design.values[i], 4));
  t += ".\n";
  for (const modal::ProfilePoint& q : wall)
    t += length_text(q.z, metres_per_unit) + " " + length_text(q.radius, metres_per_unit) + "\n";
  if (!outside.empty()) {
    t += "outside\n";
    for (const modal::ProfilePoint& q : outside)
      t += length_text(q.z, metres_per_unit) + " " + length_text(q.radius, metres_per_unit) + "\n";
  }
  return t;
}

// The figures as veskal-sweep writes them: the return loss to 0.01 dB,
// the others to nine digits.
std::optional<double> rounded(const std::optional<double>& v) {
  return v && std::isfinite(*v) ? std::optional(text::nine_digits(*v)) : std::nullopt;
}
std::optional<double> hundredths(const std::optional<double>& v) {
  return v && std::isfinite(*v) ? std::optional(std::round(*v * 100.0) / 100.0) : std::nullopt;
}
std::optional<double> in_unit(const std::optional<double>& metres, double metres_per_unit) {
  return metres ? rounded(*metres / metres_per_unit) : std::nullopt;
}
nlohmann::ordered_json number(const std::optional<double>& v) {
  return v ? nlohmann::ordered_json(*v) : nullptr;
}

// Which requirements a row breaks, by name; "ok" where none.
std::string row_verdict(const synthesis::Row& row, const synthesis::Requirements& q, bool pattern_here) {
  if (!row.error.empty()) return "refused";
  std::string out;
  auto add = [&](const char* s) { out += (out.empty() ? "" : ";") + std::string(s); };
  if (q.return_loss_db && !(row.return_loss_db.value_or(-INFINITY) >= *q.return_loss_db)) add("return_loss");
  if (q.cross_polar_db && !(row.peak_cross_polar_db.value_or(INFINITY) <= *q.cross_polar_db))
    add("cross_polar");
  if (pattern_here && q.pattern != Pattern::none) {
    const std::optional<double> v = synthesis::pattern_figure(row, q.pattern);
    if (!v || std::abs(*v - q.pattern_value) > synthesis::pattern_tolerance(q.pattern)) add("pattern");
  }
  return out.empty() ? "ok" : out;
}

nlohmann::ordered_json row_json(const synthesis::Row& row, const synthesis::Requirements& q, double mpu,
                                bool pattern_here) {
  nlohmann::ordered_json j;
  j["frequency_ghz"] = std::stod(text::shortest(row.frequency));
  j["return_loss_db"] = number(hundredths(row.return_loss_db));
  j["peak_cross_polar_db"] = number(rounded(row.peak_cross_polar_db));
  j["e_beamwidth_10db_deg"] = number(rounded(row.e_beamwidth_10db));
  j["h_beamwidth_10db_deg"] = number(rounded(row.h_beamwidth_10db));
  if (q.pattern == Pattern::edge_taper) j["edge_taper_db"] = number(rounded(row.edge_taper_db));
  j["directivity_db"] = number(rounded(row.directivity_db));
  j["phase_centre"] = number(in_unit(row.phase_centre(), mpu));
  j["e_phase_centre"] = number(in_unit(row.e_phase_centre, mpu));
  j["h_phase_centre"] = number(in_unit(row.h_phase_centre, mpu));
  j["verdict"] = row_verdict(row, q, pattern_here);
  j["settled"] = !row.unsettled.has_value();
  if (!row.error.empty()) j["error"] = row.error;
  return j;
}

// An option's name on the command line: max_length -> max-length.
std::string cli_name(std::string name) {
  std::replace(name.begin(), name.end(), '_', '-');
  return name;
}

std::string key_of(const std::string& requirement) {
  std::string k = requirement;
  for (char& c : k)
    if (c == ' ' || c == '-') c = '_';
  return k;
}

std::string cell(const std::optional<double>& v, int decimals, std::size_t width) {
  std::string s = v ? text::fixed(*v, decimals) : "-";
  return std::string(width > s.size() ? width - s.size() : 1, ' ') + s;
}

std::string margin_unit(const std::string& requirement, const synthesis::Requirements& q) {
  if (requirement == "pattern") return q.pattern == Pattern::beamwidth_10db ? " deg" : " dB";
  if (requirement == "phase centre spread") return "";
  return " dB";
}

std::string text_of(const synthesis::Problem& p, const synthesis::Synthesis& s,
                    const synthesis::Evaluation& band, const std::string& unit_name, double mpu,
                    float centre) {
  const synthesis::FamilyInfo& f = synthesis::info(p.family);
  std::string t = "veskal-design: a " + std::string(f.name) + " horn " + band_text(p.frequencies) +
                  ", designed in the " + models::name(p.model) + " model\n";
  t += "requirements: " + requirement_text(p.requirements, centre, unit_name, mpu) + "\n";
  t += "rule: " + std::string(f.rule) + "\n\n";
  char line[256];
  std::snprintf(line, sizeof line, "%-32s %12s %12s\n", "parameter", "rule", "optimised");
  t += line;
  const auto params = synthesis::parameters(p.family);
  for (std::size_t i = 0; i < params.size(); ++i) {
    const double scale = params[i].length ? mpu : 1.0;
    const std::string name = std::string(params[i].text) + (params[i].length ? ", " + unit_name : "");
    std::snprintf(line, sizeof line, "%-32s %12.4f %12.4f\n", name.c_str(), s.start.design.values[i] / scale,
                  s.best.design.values[i] / scale);
    t += line;
  }
  std::snprintf(line, sizeof line, "%-32s %12.4f %12.4f\n", ("total length, " + unit_name).c_str(),
                synthesis::total_length(s.start.design) / mpu, synthesis::total_length(s.best.design) / mpu);
  t += line;
  t += "evaluations: " + std::to_string(s.evaluations) + " (" + text::fixed(s.seconds, 1) + " s)\n\n";

  const bool taper = p.requirements.pattern == Pattern::edge_taper;
  t += "  frequency  return loss  cross-polar  E 10 dB  H 10 dB" + std::string(taper ? "  edge taper" : "") +
       "  directivity  phase centre  verdict\n";
  t += "        GHz           dB           dB      deg      deg" + std::string(taper ? "          dB" : "") +
       "          dBi  " + std::string(12 > unit_name.size() ? 12 - unit_name.size() : 0, ' ') + unit_name +
       "\n";
  auto row_line = [&](const synthesis::Row& row, bool pattern_here, const std::string& label) {
    std::string l = cell(double(row.frequency), 3, 11) + cell(row.return_loss_db, 2, 13) +
                    cell(row.peak_cross_polar_db, 2, 13) + cell(row.e_beamwidth_10db, 2, 9) +
                    cell(row.h_beamwidth_10db, 2, 9);
    if (taper) l += cell(row.edge_taper_db, 2, 12);
    const std::optional<double> centre_length =
        row.phase_centre() ? std::optional(*row.phase_centre() / mpu) : std::nullopt;
    l += cell(row.directivity_db, 2, 13) + cell(centre_length, 3, 14) + "  " +
         row_verdict(row, p.requirements, pattern_here) + (row.unsettled ? " *" : "") + label + "\n";
    return l;
  };
  for (const synthesis::Row& row : band.band) t += row_line(row, p.requirements.over_band, "");
  if (std::find(p.frequencies.begin(), p.frequencies.end(), band.centre.frequency) == p.frequencies.end())
    t += row_line(band.centre, true, " (centre)");
  t += "\n";
  std::snprintf(line, sizeof line, "%-22s %16s %18s  %s\n", "requirement", "rule: worst", "optimised: worst",
                "margin");
  t += line;
  for (std::size_t i = 0; i < band.margins.size(); ++i) {
    const synthesis::Margin& m = band.margins[i];
    const synthesis::Margin& m0 = s.start.evaluation.margins[i];
    const bool spread = m.requirement == "phase centre spread";
    const double k = spread ? 1.0 / mpu : 1.0;
    const std::string unit = spread ? " " + unit_name : margin_unit(m.requirement, p.requirements);
    std::snprintf(line, sizeof line, "%-22s %16s %18s  %s%s%s\n", m.requirement.c_str(),
                  (text::fixed(m0.worst * k, 2) + (m0.met() ? " met" : " MISSED")).c_str(),
                  (text::fixed(m.worst * k, 2) + (m.met() ? " met" : " MISSED")).c_str(),
                  text::fixed(m.margin * k, 2).c_str(), unit.c_str(), m.met() ? "" : " (shortfall)");
    t += line;
  }
  return t;
}

}  // namespace

FamilyProblem family_problem(const FamilyArguments& arguments) {
  using cli::require;
  const double mpu = 1.0 / horn::units_per_metre(cli::unit_code(arguments.unit));
  synthesis::Problem p;
  p.family = *synthesis::find_family(arguments.family);
  const bool banded =
      arguments.band.start || arguments.band.stop || arguments.band.step || !arguments.band.list.empty();
  require(banded || arguments.frequency.has_value(),
          "{frequency}: a family's design needs a band ({start}, {stop}, {step} or {frequencies}) or one "
          "frequency");
  require(!(banded && arguments.frequency.has_value()),
          "{frequency}: a family's design takes a band ({start}, {stop}, {step} or {frequencies}) or one "
          "frequency, not both");
  p.frequencies = banded ? cli::frequencies(arguments.band, max_family_band).all()
                         : std::vector<float>{*arguments.frequency};
  require(arguments.waveguide_diameter.value_or(1.0f) > 0.0f,
          "{waveguide_diameter}: must be a positive length");
  auto positive = [&](const std::optional<float>& v, const char* what) {
    require(!v || *v > 0.0f, std::string(what) + ": must be a positive length");
    return v ? double(*v) * mpu : 0.0;
  };
  p.limits.input_radius = positive(arguments.waveguide_diameter, "{waveguide_diameter}") / 2.0;
  p.limits.max_length = positive(arguments.max_length, "{max_length}");
  p.limits.max_aperture_radius = positive(arguments.max_aperture_diameter, "{max_aperture_diameter}") / 2.0;
  p.limits.min_ridge = positive(arguments.min_ridge, "{min_ridge}");
  p.wall_thickness = positive(arguments.wall_thickness, "{wall_thickness}");
  p.flange_diameter = positive(arguments.flange_diameter, "{flange_diameter}");
  require(!arguments.flange_diameter || arguments.wall_thickness,
          "{flange_diameter}: goes with {wall_thickness}");

  synthesis::Requirements& q = p.requirements;
  if (arguments.beamwidth_10db) {
    require(*arguments.beamwidth_10db > 0.0 && *arguments.beamwidth_10db < 180.0,
            "{beamwidth_10db}: must lie within 0 ... 180 degrees");
    q.pattern = Pattern::beamwidth_10db, q.pattern_value = *arguments.beamwidth_10db;
  } else if (arguments.edge_taper) {
    require(arguments.half_angle || arguments.f_over_d, "{edge_taper}: needs {half_angle} or {f_over_d}");
    q.half_angle = arguments.half_angle
                       ? *arguments.half_angle
                       : reflector::half_angle_for(*arguments.f_over_d) * 180.0 / std::numbers::pi;
    require(q.half_angle > 0.0 && q.half_angle < 90.0,
            "{half_angle}: a family's edge lies within 0 ... 90 degrees");
    require(std::fabs(*arguments.edge_taper) > 0.0 && std::fabs(*arguments.edge_taper) <= 60.0,
            "{edge_taper}: must lie within 0 ... 60 dB below the axis");
    q.pattern = Pattern::edge_taper, q.pattern_value = std::fabs(*arguments.edge_taper);
  } else if (arguments.gain) {
    require(*arguments.gain > 0.0 && *arguments.gain < 60.0, "{gain}: must lie within 0 ... 60 dBi");
    q.pattern = Pattern::gain, q.pattern_value = *arguments.gain;
  } else {
    require(!arguments.half_angle && !arguments.f_over_d,
            "{half_angle} and {f_over_d}: a family's design takes them with {edge_taper}");
  }
  q.over_band = arguments.over_band;
  require(!arguments.over_band || q.pattern != Pattern::none, "{over_band}: needs a pattern requirement");
  q.return_loss_db = arguments.return_loss;
  if (arguments.return_loss) require(*arguments.return_loss > 0.0, "{return_loss}: must be positive (dB)");
  q.cross_polar_db = arguments.cross_polar;
  if (arguments.cross_polar)
    require(*arguments.cross_polar < 0.0, "{cross_polar}: must be negative (dB below the co-polar peak)");
  if (arguments.phase_centre_spread)
    q.phase_centre_spread = positive(arguments.phase_centre_spread, "{phase_centre_spread}");
  require(arguments.evaluations >= 1 && arguments.evaluations <= max_evaluations,
          "{evaluations}: must lie within 1 ... " + std::to_string(max_evaluations));
  p.max_evaluations = arguments.evaluations;
  p.threads = numerics::cores();
  // The model: modal-huygens (fast, the aperture matched to free space)
  // unless the outside is given, then modal.
  if (arguments.model.empty()) {
    p.model = arguments.wall_thickness || p.family == synthesis::Family::choke ? models::Model::modal
                                                                               : models::Model::modal_huygens;
  } else {
    const auto m = models::find(arguments.model);
    require(m && models::describes_walls(*m),
            "{model}: a family other than cone is designed in the modal or modal-huygens model");
    p.model = *m;
    require(p.family != synthesis::Family::choke || models::whole_sphere(p.model),
            "{model}: a choke feed's design needs its outside: the modal model");
  }
  if (p.family == synthesis::Family::choke) {
    require(!arguments.flange_diameter, "{flange_diameter}: a choke feed's flange is its design's");
    p.limits.wall_thickness = p.wall_thickness;
  }
  cli::warn_of_outside_left_out(arguments.wall_thickness.has_value(), arguments.flange_diameter.has_value(),
                                models::name(p.model));

  return {p, mpu, arguments.unit};
}

FamilyDesign design_family(const FamilyProblem& asked) {
  const synthesis::Problem& p = asked.problem;
  const double mpu = asked.metres_per_unit;
  FamilyDesign d{asked, {}, {}, {}, {}, {}, static_cast<float>(synthesis::centre_frequency(p.frequencies))};
  try {
    d.synthesis = synthesis::synthesise(p);
  } catch (const synthesis::Unfit&) {
    throw;
  } catch (const std::invalid_argument& e) {
    throw UsageError(e.what());
  }
  // The band table is the written profile's, read back as --profile reads it.
  const std::vector<modal::ProfilePoint> best_wall = synthesis::wall(d.synthesis.best.design);
  d.profile = profile_text(p, d.synthesis, asked.unit, mpu, best_wall,
                           synthesis::outside_of(p, d.synthesis.best.design), d.centre);
  d.wall = modal::read_profile(d.profile, mpu);
  d.outside = modal::read_outside(d.profile, mpu);
  d.band = synthesis::evaluate_wall(p, d.wall, d.outside);
  // Rows whose steps and modes missed the engine's target, said once.
  text::FrequencyList unsettled;
  double largest = 0.0;
  for (const synthesis::Row& row : d.band.band)
    if (row.unsettled) unsettled.add(row.frequency), largest = std::max(largest, *row.unsettled);
  if (unsettled.count() > 0)
    text::warn(models::unsettled_warning(largest, modal::band_target,
                                         std::to_string(unsettled.count()) + " of " +
                                             std::to_string(d.band.band.size()) + " rows (* in the table), " +
                                             unsettled.text()));
  return d;
}

std::string unfit_message(const synthesis::Unfit& e, const FamilyProblem& asked) {
  const double least = e.option == "max_aperture_diameter" ? 2.0 * e.least : e.least;
  return "--" + cli_name(e.option) + ": no " + std::string(synthesis::info(asked.problem.family).name) +
         " horn for this band fits; it needs at least " + text::fixed(least / asked.metres_per_unit, 2) +
         " " + asked.unit;
}

std::string shortfall_message(const FamilyDesign& d) {
  std::string why;
  for (const synthesis::Margin& m : d.band.margins)
    if (!m.met()) why += (why.empty() ? "" : "; ") + m.requirement + " short by " + text::fixed(-m.margin, 2);
  if (why.empty()) return why;
  return "no " + std::string(synthesis::info(d.asked.problem.family).name) +
         " horn found meets every requirement (" + why + "): the best one is shown";
}

std::string family_text(const FamilyDesign& d) {
  return text_of(d.asked.problem, d.synthesis, d.band, d.asked.unit, d.asked.metres_per_unit, d.centre);
}

nlohmann::ordered_json family_json(const FamilyDesign& d) {
  const synthesis::Problem& p = d.asked.problem;
  const synthesis::Requirements& q = p.requirements;
  const synthesis::Synthesis& s = d.synthesis;
  const double mpu = d.asked.metres_per_unit;
  nlohmann::ordered_json j;
  j["family"] = synthesis::info(p.family).name;
  j["model"] = models::name(p.model);
  j["unit"] = d.asked.unit;
  j["rule"] = synthesis::info(p.family).rule;
  j["requirements"] = requirement_text(q, d.centre, d.asked.unit, mpu);
  j["centre_frequency_ghz"] = std::stod(text::shortest(d.centre));
  auto parameters = [&](const synthesis::Design& x) {
    nlohmann::ordered_json ps;
    const auto params = synthesis::parameters(p.family);
    for (std::size_t i = 0; i < params.size(); ++i)
      ps[std::string(params[i].name)] = params[i].length ? x.values[i] / mpu : x.values[i];
    ps["total_length"] = synthesis::total_length(x) / mpu;
    return ps;
  };
  auto meets = [&](const synthesis::Evaluation& e) {
    nlohmann::ordered_json m = nlohmann::ordered_json::object();
    for (const synthesis::Margin& x : e.margins) {
      const double k = x.requirement == "phase centre spread" ? 1.0 / mpu : 1.0;
      m[key_of(x.requirement)] = {{"met", x.met()}, {"worst", x.worst * k}, {"margin", x.margin * k}};
    }
    return m;
  };
  j["start"] = {{"parameters", parameters(s.start.design)}, {"meets", meets(s.start.evaluation)}};
  j["parameters"] = parameters(s.best.design);
  nlohmann::ordered_json points = nlohmann::ordered_json::array();
  for (const modal::ProfilePoint& w : d.wall) points.push_back({w.z / mpu, w.radius / mpu});
  j["profile"] = points;
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const synthesis::Row& row : d.band.band) rows.push_back(row_json(row, q, mpu, q.over_band));
  j["band"] = rows;
  j["centre"] = row_json(d.band.centre, q, mpu, true);
  j["meets"] = meets(d.band);
  j["all_met"] = d.band.meets();
  j["evaluations"] = s.evaluations;
  j["seconds"] = s.seconds;
  return j;
}

std::string tolerance_text(const synthesis::ToleranceStudy& study, float tolerance, const std::string& unit,
                           std::uint64_t seed) {
  std::string out = "\ntolerance study: " + std::to_string(study.samples) +
                    " samples, every dimension moved by a uniform error within +-" +
                    text::shortest(tolerance) + " " + unit + " (seed " + std::to_string(seed) +
                    (study.refused ? ", " + std::to_string(study.refused) + " refused by the engine" : "") +
                    ")\n";
  char line[160];
  std::snprintf(line, sizeof line, "%-30s %9s %9s %9s\n", "", "median", "90 %", "99 %");
  out += line;
  auto add = [&](const char* name, const synthesis::Percentiles& x) {
    std::snprintf(line, sizeof line, "%-30s %9.2f %9.2f %9.2f\n", name, x.median, x.p90, x.p99);
    out += line;
  };
  add("worst return loss, dB", study.return_loss_db);
  add("worst cross-polar peak, dB", study.cross_polar_db);
  add("largest 10 dB width error, deg", study.beamwidth_error);
  return out;
}

nlohmann::ordered_json tolerance_json(const synthesis::ToleranceStudy& study, float tolerance,
                                      std::uint64_t seed) {
  auto pc = [](const synthesis::Percentiles& x) {
    return nlohmann::ordered_json{{"median", x.median}, {"p90", x.p90}, {"p99", x.p99}};
  };
  return {{"tolerance", tolerance},
          {"distribution", "uniform"},
          {"samples", study.samples},
          {"seed", seed},
          {"refused", study.refused},
          {"worst_return_loss_db", pc(study.return_loss_db)},
          {"worst_cross_polar_db", pc(study.cross_polar_db)},
          {"beamwidth_error_deg", pc(study.beamwidth_error)}};
}

}  // namespace cli
