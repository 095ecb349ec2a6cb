#include "sweep/sweep_table.hpp"

#include <cmath>

#include "aperture/limits.hpp"
#include "cli/classic.hpp"
#include "horn/constants.hpp"
#include "horn/units.hpp"
#include "numerics/checked_math.hpp"

namespace sweep {
namespace {

Check engine_check(const horn::Horn& horn, const float& frequency, aperture::Phase phase) {
  Check check;
  const horn::HornInInches inches = horn.in_inches();
  try {
    const aperture::Aperture engine(
        aperture::horn_from_inches(inches.aperture_radius, inches.slant_radius, frequency), phase);
    check.figures = aperture::figures(engine);
  } catch (const aperture::InvalidHorn& e) {
    check.error = std::string("the aperture engine refuses the row: ") + e.what();
    return check;
  }
  const double units_per_metre = horn::units_per_metre(horn.unit_code);
  if (check.figures->e_phase_centre)
    check.e_phase_centre_length = check.figures->e_phase_centre->length * units_per_metre;
  if (check.figures->h_phase_centre)
    check.h_phase_centre_length = check.figures->h_phase_centre->length * units_per_metre;
  return check;
}

}  // namespace

std::vector<std::string> outside_limits(const horn::Characteristics& c, const aperture::Figures& f) {
  namespace l = aperture::limits;
  std::vector<std::string> names;
  auto check = [&](const char* name, double classic, const std::optional<double>& engine, double limit) {
    if (!engine || !l::holds(classic, *engine, limit)) names.emplace_back(name);
  };
  auto width = [&](const char* name, float classic, const std::optional<double>& engine) {
    check(name, classic, engine, l::beamwidth_degrees(engine.value_or(0.0)));
  };
  auto centre = [](const std::optional<aperture::PhaseCentreFit>& fit) {
    return fit ? std::optional(fit->wavelengths) : std::nullopt;
  };
  check(figure_names[0], c.gain, f.directivity_db, l::gain_db);
  width(figure_names[1], c.e_beamwidth_3db, f.e_beamwidth_3db);
  width(figure_names[2], c.h_beamwidth_3db, f.h_beamwidth_3db);
  width(figure_names[3], c.e_beamwidth_10db, f.e_beamwidth_10db);
  width(figure_names[4], c.h_beamwidth_10db, f.h_beamwidth_10db);
  check(figure_names[5], c.e_phase_centre_wavelengths, centre(f.e_phase_centre), l::phase_centre_wavelengths);
  check(figure_names[6], c.h_phase_centre_wavelengths, centre(f.h_phase_centre), l::phase_centre_wavelengths);
  return names;
}

Row compute_row(const horn::Horn& horn, const float& f, std::optional<aperture::Phase> check_phase) {
  Row row{};
  row.frequency = f;
  row.wavelength = double(horn::wavelength(f)) * double(horn.units_per_inch());
  const horn::HornInInches inches = horn.in_inches();
  row.phase_error = horn::phase_error(inches, f);
  row.beyond_tables = cli::beyond_classic_tables(row.phase_error);
  try {
    row.classic = horn::characteristics(horn, f);
  } catch (const numerics::DomainError&) {
    row.classic_error = cli::classic_failure(inches, f);
  }
  if (check_phase) {
    row.check = engine_check(horn, f, *check_phase);
    if (row.classic && row.check->figures) row.check->outside_limits = outside_limits(*row.classic, *row.check->figures);
  }
  return row;
}

}  // namespace sweep
