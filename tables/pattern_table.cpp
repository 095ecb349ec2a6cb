#include "tables/pattern_table.hpp"

#include <cmath>
#include <functional>
#include <numbers>

#include "horn/beamwidth.hpp"
#include "horn/constants.hpp"
#include "horn/pattern.hpp"
#include "horn/phase_centre.hpp"
#include "modal/band.hpp"
#include "models/domain.hpp"
#include "models/engine.hpp"
#include "numerics/angles.hpp"
#include "numerics/checked_math.hpp"
#include "text/numbers.hpp"
#include "text/warnings.hpp"

namespace pattern {

using horn::radians_per_degree;
using numerics::fold_degrees;

std::vector<std::string> column_names(const Pattern& pattern) {
  const std::string reference = pattern.reference == PhaseReference::aperture ? "aperture" : "phase_centre";
  std::vector<std::string> names = {
      "angle_deg",     "e_amplitude_db",           "h_amplitude_db",          "e_relative_db",
      "h_relative_db", "e_phase_deg_" + reference, "h_phase_deg_" + reference};
  if (models::describes_walls(pattern.model)) names.emplace_back("cross_polar_45_relative_db");
  return names;
}

std::vector<float> angles(double from, double to, double step) {
  std::vector<float> list;
  const double count = std::floor((to - from) / step + 1e-3);
  for (double i = 0.0; i <= count; i += 1.0) list.push_back(static_cast<float>(from + i * step));
  return list;
}

double phase_centre_correction(double centre, double angle) {
  return 360.0 * centre * (1.0 - std::cos(angle * double(radians_per_degree)));
}

namespace {

// The amplitudes (dB) and phases (degrees) of both planes at one angle.
PatternRow classic_row(const float& frequency, const horn::HornInInches& horn, const float& degrees) {
  PatternRow row{};
  row.angle = degrees;
  const float radians = double(degrees) * double(radians_per_degree);
  horn::CHP11(frequency, horn.aperture_radius, horn.slant_radius, radians, row.e_amplitude, row.h_amplitude,
              row.e_phase, row.h_phase);
  return row;
}

PatternRow engine_row(const farfield::Radiator& engine, const float& degrees) {
  using numerics::degrees_per_radian;
  const farfield::PlaneFields f = engine.far_fields(double(degrees) / degrees_per_radian);
  PatternRow row{};
  row.angle = degrees;
  row.e_amplitude = static_cast<float>(20.0 * std::log10(std::abs(f.e)));
  row.h_amplitude = static_cast<float>(20.0 * std::log10(std::abs(f.h)));
  row.e_phase = static_cast<float>(std::arg(f.e) * degrees_per_radian);
  row.h_phase = static_cast<float>(std::arg(f.h) * degrees_per_radian);
  return row;
}

// The rows at the angles, relative to the axis and, for the phase centre
// reference, with the phase centres' point-source phase taken out.
void fill_rows(Pattern& result, const std::function<PatternRow(const float&)>& sample,
               const std::vector<float>& angle_list) {
  const bool to_phase_centre = result.reference == PhaseReference::phase_centre;
  const PatternRow axis = sample(0.0f);
  result.rows.reserve(angle_list.size());
  for (const float& degrees : angle_list) {
    PatternRow row = sample(degrees);
    row.e_relative = double(row.e_amplitude) - double(axis.e_amplitude);
    row.h_relative = double(row.h_amplitude) - double(axis.h_amplitude);
    if (to_phase_centre) {
      row.e_phase = fold_degrees(double(row.e_phase) - double(axis.e_phase) -
                                 phase_centre_correction(result.e_phase_centre, degrees));
      row.h_phase = fold_degrees(double(row.h_phase) - double(axis.h_phase) -
                                 phase_centre_correction(result.h_phase_centre, degrees));
    }
    result.rows.push_back(row);
  }
}

// The engine's phase centres as the phase reference.
void engine_centres(Pattern& result) {
  if (!result.engine->e_phase_centre || !result.engine->h_phase_centre) throw NoPhaseCentre{};
  result.e_phase_centre = static_cast<float>(result.engine->e_phase_centre->wavelengths);
  result.h_phase_centre = static_cast<float>(result.engine->h_phase_centre->wavelengths);
}

}  // namespace

Pattern compute_pattern(const float& frequency, const horn::HornInInches& horn,
                        const std::vector<float>& angle_list, PhaseReference reference, bool with_beamwidths,
                        Model model) {
  Pattern result;
  result.reference = reference;
  result.model = model;
  const bool to_phase_centre = reference == PhaseReference::phase_centre;
  Beamwidths& b = result.beamwidths;
  auto classic_beamwidths = [&] {
    horn::HCWBW(frequency, horn.aperture_radius, horn.slant_radius, b.e_3db, b.h_3db, b.e_10db, b.h_10db);
    horn::CHPCE(frequency, horn.aperture_radius, horn.slant_radius, b.e_10db, result.classic_e_phase_centre,
                b.h_10db, result.classic_h_phase_centre);
    result.has_beamwidths = true;
  };

  const models::Engine* const engine = models::info(model).engine;
  std::shared_ptr<const farfield::Radiator> radiator;
  if (engine == nullptr) {
    // Below the TE-11 cut-off the classic model is refused in the engine's words.
    aperture::require_above_cut_off(
        aperture::horn_from_inches(horn.aperture_radius, horn.slant_radius, frequency));
    if (with_beamwidths || to_phase_centre) classic_beamwidths();
    result.e_phase_centre = result.classic_e_phase_centre;
    result.h_phase_centre = result.classic_h_phase_centre;
  } else {
    // The engine's figures only where the output shows them: the picture's
    // legend and marks, or the phase centres of the phase reference.
    models::Result r = engine->evaluate({.cone = &horn}, frequency,
                                        {.fields = true, .figures = with_beamwidths || to_phase_centre});
    if (!r.refused.empty()) throw aperture::InvalidHorn(r.refused);
    radiator = std::move(r.radiator);
    result.engine = r.figures;
    try {
      classic_beamwidths();
    } catch (const numerics::DomainError&) {
      result.has_beamwidths = false;  // the picture shows the engine's alone
    }
    if (to_phase_centre) engine_centres(result);
  }
  fill_rows(
      result,
      [&](const float& degrees) {
        return radiator ? engine_row(*radiator, degrees) : classic_row(frequency, horn, degrees);
      },
      angle_list);
  return result;
}

Pattern compute_modal_pattern(const modal::Band& band, double frequency, const std::vector<float>& angle_list,
                              PhaseReference reference, bool with_figures, Model model) {
  Pattern result;
  result.reference = reference;
  result.model = model;
  const bool figures = with_figures || reference == PhaseReference::phase_centre;
  const models::Result r = models::info(model).engine->evaluate(
      {.band = &band}, frequency, {.fields = true, .figures = figures, .match = true});
  if (!r.refused.empty()) throw std::domain_error(r.refused);
  if (r.match && !r.match->settled)
    text::warn(
        models::unsettled_warning(r.match->uncertainty, band.target(), text::shortest(frequency) + " GHz"));
  const farfield::Radiator& radiator = *r.radiator;
  if (figures) {
    modal::Figures f{};
    static_cast<modal::Match&>(f) = *r.match;
    static_cast<farfield::BeamFigures&>(f) = *r.figures;
    f.directivity_db = *r.directivity_db;
    f.peak_cross_polar_db = *r.peak_cross_polar_db;
    f.peak_cross_polar_angle = *r.peak_cross_polar_angle;
    result.modal = f;
    result.engine = r.figures;
    if (reference == PhaseReference::phase_centre) engine_centres(result);
  }
  const farfield::PlaneFields axis = radiator.far_fields(0.0);
  const double co_axis = std::abs(axis.e + axis.h) / 2.0;
  fill_rows(
      result,
      [&](const float& degrees) {
        PatternRow row = engine_row(radiator, degrees);
        const farfield::PlaneFields f = radiator.far_fields(double(degrees) / numerics::degrees_per_radian);
        row.cross_relative = static_cast<float>(20.0 * std::log10(std::abs(f.e - f.h) / 2.0 / co_axis));
        return row;
      },
      angle_list);
  return result;
}

}  // namespace pattern
