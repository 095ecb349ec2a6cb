#include "tables/feed_table.hpp"

#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "aperture/figures.hpp"
#include "horn/beamwidth.hpp"
#include "horn/phase_centre.hpp"
#include "horn/units.hpp"
#include "models/engine.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/errors.hpp"
#include "reflector/sources.hpp"
#include "text/numbers.hpp"
#include "text/warnings.hpp"

namespace feed {
namespace {

// The mean of a model's two plane centres, where both are known.
std::optional<double> mean(std::optional<double> e, std::optional<double> h) {
  if (!e || !h || !std::isfinite(*e) || !std::isfinite(*h)) return std::nullopt;
  return (*e + *h) / 2.0;
}

std::optional<double> engine_centre(const aperture::Aperture& a) {
  const aperture::Figures g = aperture::figures(a);
  if (!g.e_phase_centre || !g.h_phase_centre) return std::nullopt;
  return mean(g.e_phase_centre->wavelengths, g.h_phase_centre->wavelengths);
}

// A cone's apex behind its aperture, in wavelengths.
double apex_wavelengths(const horn::Horn& horn, double wavelength_m) {
  return models::apex_distance(horn) / horn::units_per_metre(horn.unit_code) / wavelength_m;
}

std::optional<double> classic_centre(float frequency, const horn::HornInInches& h) {
  try {
    float e3 = 0, h3 = 0, e10 = 0, h10 = 0, e_centre = 0, h_centre = 0;
    horn::HCWBW(frequency, h.aperture_radius, h.slant_radius, e3, h3, e10, h10);
    horn::CHPCE(frequency, h.aperture_radius, h.slant_radius, e10, e_centre, h10, h_centre);
    return mean(double(e_centre), double(h_centre));
  } catch (const numerics::DomainError&) {
    return std::nullopt;
  }
}

}  // namespace

FrequencyFeed horn_feed(const horn::Horn& horn, float frequency, models::Model model) {
  const horn::HornInInches h = horn.in_inches();
  const auto p = reflector::horn_pattern(frequency, h, models::info(model).aperture_phase);
  FrequencyFeed f{double(frequency), numerics::wavelength_m(double(frequency)), p.feed(), {}, {}, {}};
  f.domain = models::cone_domain(model, h, frequency);
  f.apex_wavelengths = apex_wavelengths(horn, f.wavelength_m);
  if (p.engine) {
    f.centres.engine = engine_centre(*p.engine);
  } else {
    try {
      f.centres.engine = engine_centre(
          aperture::Aperture(aperture::horn_from_inches(h.aperture_radius, h.slant_radius, frequency),
                             aperture::Phase::spherical));
    } catch (const aperture::InvalidHorn&) {
      // beyond the engine's domain: no engine centre
    }
  }
  f.centres.classic = classic_centre(frequency, h);
  return f;
}

FrequencyFeed wall_feed(models::Model model, const modal::Band& band, const std::optional<horn::Horn>& cone,
                        float frequency) {
  const models::Result r = models::info(model).engine->evaluate(
      {.band = &band}, frequency, {.fields = true, .figures = false, .match = true});
  if (!r.refused.empty()) throw std::runtime_error(r.refused);
  if (r.match && !r.match->settled)
    text::warn(
        models::unsettled_warning(r.match->uncertainty, band.target(), text::shortest(frequency) + " GHz"));
  const reflector::RadiatorPattern p = reflector::radiator_pattern(r.radiator);
  FrequencyFeed f{double(frequency), numerics::wavelength_m(double(frequency)), p.feed(), {}, {}, {}};
  if (cone) {
    f.domain = models::cone_domain(model, cone->in_inches(), frequency);
    f.apex_wavelengths = apex_wavelengths(*cone, f.wavelength_m);
  }
  const farfield::BeamFigures beams = farfield::beam_figures(*p.radiator);
  if (beams.e_phase_centre && beams.h_phase_centre)
    f.centres.engine = mean(beams.e_phase_centre->wavelengths, beams.h_phase_centre->wavelengths);
  if (cone) f.centres.classic = classic_centre(frequency, cone->in_inches());
  return f;
}

namespace {

Row complete(FrequencyFeed& f, const reflector::Figures& figures, bool optimum,
             std::optional<double> diameter_m, double units_per_metre) {
  Row row{f.frequency_ghz, optimum, figures, f.wavelength_m * units_per_metre, f.centres, {}, {}, {}, {},
          f.domain,        {}};
  if (f.apex_wavelengths)
    row.domain.add(models::phase_centre_domain(figures.phase_centre, *f.apex_wavelengths));
  const auto at = [&](const std::optional<double>& centre) -> std::optional<double> {
    if (!centre) return std::nullopt;
    return f.feed.phase_efficiency(figures.half_angle, *centre);
  };
  row.eta_phase_engine = at(f.centres.engine);
  row.eta_phase_classic = at(f.centres.classic);
  row.eta_phase_given = at(f.centres.given);
  if (diameter_m) {
    const double uniform = std::pow(std::numbers::pi * *diameter_m / f.wavelength_m, 2);
    row.gain_dbi = decibels(figures.eta.aperture() * uniform);
  }
  return row;
}

}  // namespace

std::vector<Row> failed_rows(double frequency_ghz, const std::vector<double>& half_angles,
                             const std::string& why, double units_per_metre) {
  constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
  const reflector::Figures none{
      unknown, {unknown, unknown, unknown, unknown}, unknown, unknown, unknown, {}, 0.0, 0};
  const double wavelength = numerics::wavelength_m(frequency_ghz) * units_per_metre;
  std::vector<Row> rows;
  for (std::size_t i = 0; i <= half_angles.size(); ++i) {
    const bool optimum = i == half_angles.size();
    Row row{frequency_ghz, optimum, none, wavelength, {}, {}, {}, {}, {}, {}, why};
    if (!optimum) row.figures.half_angle = half_angles[i];
    rows.push_back(std::move(row));
  }
  return rows;
}

FrequencyRows frequency_rows(float frequency, const std::function<FrequencyFeed()>& make,
                             const std::vector<double>& half_angles, std::optional<double> given_centre_m,
                             std::optional<double> diameter_m, double units_per_metre) {
  FrequencyRows out;
  std::string failure;
  try {
    out.feed = make();
    FrequencyFeed& f = *out.feed;
    if (given_centre_m) f.centres.given = *given_centre_m / f.wavelength_m;
    out.rows.reserve(half_angles.size() + 1);
    for (const double t : half_angles) out.rows.push_back(reflector_row(f, t, diameter_m, units_per_metre));
    out.rows.push_back(optimum_row(f, diameter_m, units_per_metre));
    return out;
  } catch (const numerics::InvalidRequest&) {
    throw;
  } catch (const std::invalid_argument& e) {  // a horn or pattern the model cannot take at this frequency
    failure = e.what();
  } catch (const std::runtime_error& e) {  // the engine's refusal, integrals that do not converge
    failure = e.what();
  }
  out.feed.reset();
  out.rows = failed_rows(frequency, half_angles, failure, units_per_metre);
  return out;
}

void Tally::take(float frequency, const FrequencyRows& rows, bool judged) {
  if (!rows.feed) {
    if (failed_.count() == 0) first_failure_ = rows.rows.front().error;
    failed_.add(frequency);
    return;
  }
  if (!judged) return;
  models::Domain d;
  for (const Row& row : rows.rows) d.add(row.domain);
  outside_.take(d, frequency);  // the classic tables' end has its own warning, with the largest s
}

std::string Tally::finish(std::int64_t frequencies) const {
  const std::string of = " of " + std::to_string(frequencies) + " frequencies";
  outside_.warn(std::size_t(frequencies), "frequencies");
  if (failed_.count() == 0) return {};
  return std::to_string(failed_.count()) + of + " without figures: " + first_failure_ + " (at " +
         failed_.text() + ")";
}

std::optional<double> decibels(double ratio) {
  if (!(ratio > 0.0)) return std::nullopt;
  return 10.0 * std::log10(ratio);
}

Row reflector_row(FrequencyFeed& f, double half_angle, std::optional<double> diameter_m,
                  double units_per_metre) {
  return complete(f, f.feed.figures(half_angle), false, diameter_m, units_per_metre);
}

Row optimum_row(FrequencyFeed& f, std::optional<double> diameter_m, double units_per_metre) {
  return complete(f, f.feed.optimum(), true, diameter_m, units_per_metre);
}

namespace {

Value finite(double v) { return std::isfinite(v) ? Value(v) : std::nullopt; }
Value db(double ratio) { return decibels(ratio); }
Value in_unit(const Row& r, const Value& wavelengths) {
  return wavelengths ? Value(*wavelengths * r.wavelength) : std::nullopt;
}

}  // namespace

const std::vector<Column>& columns() {
  static const std::vector<Column> list = {
      {"frequency_ghz", "GHz", [](const Row& r) { return Value(r.frequency_ghz); }},
      {"f_over_d", "", [](const Row& r) { return finite(r.f_over_d()); }},
      {"half_angle_deg", "degrees", [](const Row& r) { return Value(r.half_angle_deg()); }},
      {"eta_spillover", "", [](const Row& r) { return Value(r.figures.eta.spillover); }},
      {"eta_illumination", "", [](const Row& r) { return Value(r.figures.eta.illumination); }},
      {"eta_phase", "", [](const Row& r) { return Value(r.figures.eta.phase); }},
      {"eta_polarisation", "", [](const Row& r) { return Value(r.figures.eta.polarisation); }},
      {"eta_aperture", "", [](const Row& r) { return Value(r.figures.eta.aperture()); }},
      {"eta_spillover_db", "dB", [](const Row& r) { return db(r.figures.eta.spillover); }},
      {"eta_illumination_db", "dB", [](const Row& r) { return db(r.figures.eta.illumination); }},
      {"eta_phase_db", "dB", [](const Row& r) { return db(r.figures.eta.phase); }},
      {"eta_polarisation_db", "dB", [](const Row& r) { return db(r.figures.eta.polarisation); }},
      {"eta_aperture_db", "dB", [](const Row& r) { return db(r.figures.eta.aperture()); }},
      {"edge_taper_e_db", "dB", [](const Row& r) { return finite(r.figures.edge_taper_e_db); }},
      {"edge_taper_h_db", "dB", [](const Row& r) { return finite(r.figures.edge_taper_h_db); }},
      {"edge_taper_db", "dB", [](const Row& r) { return finite(r.edge_taper_db()); }},
      {"space_attenuation_db", "dB", [](const Row& r) { return finite(r.space_attenuation_db()); }},
      {"edge_illumination_db", "dB", [](const Row& r) { return finite(r.edge_illumination_db()); }},
      {"peak_cross_polar_db", "dB", [](const Row& r) { return r.figures.peak_cross_polar_db; }},
      {"peak_cross_polar_angle_deg", "degrees",
       [](const Row& r) {
         return r.figures.peak_cross_polar_db ? Value(r.figures.peak_cross_polar_angle / reflector::degree)
                                              : std::nullopt;
       }},
      {"phase_centre_wavelengths", "wavelengths", [](const Row& r) { return Value(r.figures.phase_centre); }},
      {"phase_centre", "length", [](const Row& r) { return in_unit(r, r.figures.phase_centre); }},
      {"engine_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.centres.engine; }},
      {"eta_phase_engine_centre", "", [](const Row& r) { return r.eta_phase_engine; }},
      {"classic_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.centres.classic; }},
      {"eta_phase_classic_centre", "", [](const Row& r) { return r.eta_phase_classic; }},
      {"given_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.centres.given; }},
      {"eta_phase_given_centre", "", [](const Row& r) { return r.eta_phase_given; }},
      {"reflector_gain_dbi", "dBi", [](const Row& r) { return r.gain_dbi; }},
  };
  return list;
}

const char* reflector_kind(const Row& r) { return r.optimum ? "optimum" : "given"; }

double half_angle_of_f_over_d(double f_over_d) {
  numerics::require(f_over_d > 0.0 && reflector::half_angle_for(f_over_d) <= reflector::largest_half_angle,
                    "{f_over_d}: must be at least 0.022 (a half-angle of 170 degrees at most)");
  return reflector::half_angle_for(f_over_d);
}

double half_angle_of_degrees(double degrees) {
  numerics::require(degrees > 0.0 && degrees <= 170.0, "{half_angle}: must lie within 0 ... 170 degrees");
  return degrees * reflector::degree;
}

void require_reflectors(const std::string& option, double count) {
  if (!(count <= double(max_reflectors)))
    throw numerics::LimitExceeded(option + ": at most " + std::to_string(max_reflectors) + " reflectors",
                                  "reflectors", count, double(max_reflectors));
}

void require_rows(std::int64_t frequencies, std::size_t reflectors) {
  const double rows = double(frequencies) * double(reflectors + 1);
  if (!(rows <= double(max_rows)))
    throw numerics::LimitExceeded(
        "too many rows: frequencies times reflectors at most " + std::to_string(max_rows), "rows", rows,
        double(max_rows));
}

}  // namespace feed
