#include "tables/sweep_table.hpp"

#include <algorithm>
#include <cmath>
#include <exception>

#include "aperture/limits.hpp"
#include "horn/constants.hpp"
#include "horn/units.hpp"
#include "modal/figures.hpp"
#include "models/classic.hpp"
#include "models/engine.hpp"
#include "models/registry.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/errors.hpp"
#include "numerics/parallel.hpp"
#include "text/numbers.hpp"
#include "text/warnings.hpp"

namespace sweep {
namespace {

// The phase centres in the horn's unit.
void centre_lengths(Check& check, std::int32_t unit_code) {
  const double units_per_metre = horn::units_per_metre(unit_code);
  if (check.figures->e_phase_centre)
    check.e_phase_centre_length = check.figures->e_phase_centre->length * units_per_metre;
  if (check.figures->h_phase_centre)
    check.h_phase_centre_length = check.figures->h_phase_centre->length * units_per_metre;
}

// The model's engine's figures of the row, through the one engine interface.
Check engine_check(models::Model model, const models::HornInput& horn, const float& frequency,
                   std::int32_t unit_code) {
  const models::Engine& engine = *models::info(model).engine;
  Check check;
  check.model = models::name(model);
  const models::Result r =
      engine.evaluate(horn, frequency, {.fields = false, .figures = true, .match = true});
  if (r.match) {
    const modal::Match& m = *r.match;
    check.return_loss_db = m.return_loss_db;
    check.vswr = m.vswr;
    check.te11_return_loss_db = m.te11_return_loss_db;
    check.return_loss_uncertainty_db = models::return_loss_uncertainty_db(m);
    if (!std::isfinite(*check.return_loss_uncertainty_db))
      check.return_loss_lower_bound_db = models::return_loss_lower_bound_db(m);
    check.guide_modes = m.guide_modes;
    for (const modal::GuideReflection& g : m.guide_reflections) {
      if (!check.guide_return_losses.empty()) check.guide_return_losses += ';';
      check.guide_return_losses += std::string(g.mode.kind == modal::Kind::te ? "TE-1" : "TM-1") +
                                   std::to_string(g.mode.index) + ":" + text::fixed(g.return_loss_db, 2);
    }
    if (!m.settled) check.unsettled = m.uncertainty;
  }
  if (!r.refused.empty()) {
    check.error = std::string(engine.title()) + " refuses the row: " + r.refused;
    return check;
  }
  check.figures = EngineFigures{*r.figures, *r.directivity_db};
  check.peak_cross_polar_db = r.peak_cross_polar_db;
  check.front_to_back_db = r.front_to_back_db;
  centre_lengths(check, unit_code);
  // A non-finite figure fails the row as a refusal does.
  const EngineFigures& g = *check.figures;
  for (const std::optional<double>& x :
       {std::optional(g.directivity_db), g.e_beamwidth_3db, g.h_beamwidth_3db, g.e_beamwidth_10db,
        g.h_beamwidth_10db, check.e_phase_centre_length, check.h_phase_centre_length})
    if (x && !std::isfinite(*x)) {
      check.figures.reset();
      check.error = std::string(engine.title()) + " gives a figure that is not finite";
      return check;
    }
  return check;
}

}  // namespace

std::vector<std::string> outside_limits(const horn::Characteristics& c, const EngineFigures& f) {
  namespace l = aperture::limits;
  auto centre = [](const std::optional<aperture::PhaseCentreFit>& fit) {
    return fit ? std::optional(fit->wavelengths) : std::nullopt;
  };
  const double classic[] = {c.gain,
                            c.e_beamwidth_3db,
                            c.h_beamwidth_3db,
                            c.e_beamwidth_10db,
                            c.h_beamwidth_10db,
                            c.e_phase_centre_wavelengths,
                            c.h_phase_centre_wavelengths};
  const std::optional<double> engine[] = {
      f.directivity_db,   f.e_beamwidth_3db,        f.h_beamwidth_3db,       f.e_beamwidth_10db,
      f.h_beamwidth_10db, centre(f.e_phase_centre), centre(f.h_phase_centre)};
  std::vector<std::string> names;
  for (std::size_t k = 0; k < l::figures.size(); ++k)
    if (!engine[k] || l::verdict(l::figures[k], classic[k], *engine[k]) != l::Verdict::holds)
      names.emplace_back(figure_names[k]);
  return names;
}

namespace {

// The verdicts on the engine's figures of a cone's row: its aperture, its
// phase centres against the apex.
void engine_domain(Row& row, models::Model model, const horn::Horn& horn) {
  if (!row.check->figures) return;
  row.domain.add(models::cone_domain(model, horn.in_inches(), row.frequency));
  const double apex = models::apex_distance(horn);
  for (const auto& centre : {row.check->e_phase_centre_length, row.check->h_phase_centre_length})
    if (centre) row.domain.add(models::phase_centre_domain(*centre, apex));
}

// The classic part of a row.
Row classic_row(const horn::Horn& horn, const float& f) {
  Row row{};
  row.frequency = f;
  row.wavelength = double(horn::wavelength(f)) * double(horn.units_per_inch());
  const horn::HornInInches inches = horn.in_inches();
  row.phase_error = horn::phase_error(inches, f);
  row.beyond_tables = models::beyond_classic_tables(row.phase_error);
  try {
    row.classic = horn::characteristics(horn, f);
  } catch (const numerics::DomainError&) {
    row.classic_error = models::classic_reason(inches, f);
    return row;  // no classic figure to judge
  }
  row.domain = models::cone_domain(models::Model::classic, inches, f);
  const horn::Characteristics& c = *row.classic;
  // A figure that is not finite fails the row, though veskal prints it.
  for (const float x : {c.gain, c.e_beamwidth_3db, c.h_beamwidth_3db, c.e_beamwidth_10db, c.h_beamwidth_10db,
                        c.e_phase_centre_length, c.h_phase_centre_length})
    if (!std::isfinite(x)) {
      row.classic_error = models::classic_not_finite;
      return row;
    }
  const double apex = models::apex_distance(horn);
  row.domain.add(models::phase_centre_domain(c.e_phase_centre_length, apex));
  row.domain.add(models::phase_centre_domain(c.h_phase_centre_length, apex));
  return row;
}

}  // namespace

Row compute_modal_row(const std::optional<horn::Horn>& cone, std::int32_t unit_code, const float& f,
                      const modal::Band& band, models::Model model) {
  Row row{};
  if (cone) {
    row = classic_row(*cone, f);
  } else {
    row.frequency = f;
    row.wavelength = double(horn::wavelength(f)) * double(horn::unit_factor[std::size_t(unit_code - 1)]);
  }
  row.check = engine_check(model, {.band = &band}, f, unit_code);
  if (row.classic && row.check->figures)
    row.check->outside_limits = outside_limits(*row.classic, *row.check->figures);
  if (cone) engine_domain(row, model, *cone);
  if (row.check->return_loss_db)
    row.domain.add(models::match_domain(model, *row.check->return_loss_db, row.check->guide_modes));
  return row;
}

void Verdicts::take(const Row& row) {
  if (row.check && row.check->unsettled) {
    unsettled_.add(row.frequency);
    largest_change_ = std::max(largest_change_, *row.check->unsettled);
  }
  outside_.take(row.domain, row.frequency);
}

void Verdicts::warn(std::size_t rows) const {
  const std::string of = " of " + std::to_string(rows) + " rows";
  if (unsettled_.count() > 0)
    text::warn(models::unsettled_warning(largest_change_, target_,
                                         std::to_string(unsettled_.count()) + of + ", " + unsettled_.text()));
  outside_.warn(rows, "rows");
}

unsigned cores() { return numerics::cores(); }

void require_modal_rows(std::int64_t count) {
  if (count > max_modal_rows)
    throw numerics::LimitExceeded("{model} modal: at most " + std::to_string(max_modal_rows) +
                                      " frequencies (" + std::to_string(count) + " asked)",
                                  "frequencies", double(count), double(max_modal_rows));
}

std::vector<Row> compute_modal_rows(const std::optional<horn::Horn>& cone, std::int32_t unit_code,
                                    const std::vector<float>& frequencies, const modal::Band& band,
                                    unsigned threads, models::Model model) {
  std::vector<Row> rows(frequencies.size());
  numerics::parallel_for(rows.size(), threads, [&](std::size_t i) {
    rows[i] = compute_modal_row(cone, unit_code, frequencies[i], band, model);
  });
  return rows;
}

Row compute_row(const horn::Horn& horn, const float& f, std::optional<models::Model> check_model) {
  Row row = classic_row(horn, f);
  if (check_model) {
    const horn::HornInInches inches = horn.in_inches();
    row.check = engine_check(*check_model, {.cone = &inches}, f, horn.unit_code);
    if (row.classic && row.check->figures)
      row.check->outside_limits = outside_limits(*row.classic, *row.check->figures);
    engine_domain(row, *check_model, horn);
  }
  return row;
}

}  // namespace sweep
