#include "sweep/sweep_table.hpp"

#include <cmath>

#include "aperture/limits.hpp"
#include "horn/constants.hpp"
#include "numerics/checked_math.hpp"

namespace sweep {
namespace {

constexpr double metres_per_inch = 0.0254;

// Which classic figures differ from the engine's by more than the limits.
std::vector<std::string> outside(const horn::Characteristics& c, const aperture::Figures& f) {
  namespace l = aperture::limits;
  std::vector<std::string> names;
  auto check = [&](const char* name, double classic, const std::optional<double>& engine, double limit) {
    if (!engine || !l::holds(classic, *engine, limit)) names.emplace_back(name);
  };
  auto width = [&](const char* name, float classic, const std::optional<double>& engine) {
    check(name, classic, engine, l::beamwidth_degrees(engine.value_or(0.0)));
  };
  auto centre = [](const std::optional<aperture::PhaseCentreFit>& fit) {
    return fit ? std::optional(fit->unweighted.wavelengths) : std::nullopt;
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

Check engine_check(const horn::Horn& horn, const float& frequency, aperture::Phase phase) {
  const horn::HornInInches inches = horn.in_inches();
  const aperture::Aperture engine(
      aperture::horn_from_inches(inches.aperture_radius, inches.slant_radius, frequency), phase);
  Check check{aperture::figures(engine), std::nullopt, std::nullopt, {}};
  const double units_per_metre = double(horn.units_per_inch()) / metres_per_inch;
  if (check.figures.e_phase_centre)
    check.e_phase_centre_length = check.figures.e_phase_centre->unweighted.length * units_per_metre;
  if (check.figures.h_phase_centre)
    check.h_phase_centre_length = check.figures.h_phase_centre->unweighted.length * units_per_metre;
  return check;
}

}  // namespace

std::size_t Table::incomplete() const {
  std::size_t n = 0;
  for (const Row& r : rows) n += r.classic ? 0 : 1;
  return n;
}

Table compute(const horn::Horn& horn, const std::vector<float>& frequencies,
              std::optional<aperture::Phase> check_phase) {
  Table table{horn, {}, check_phase};
  table.rows.reserve(frequencies.size());
  const horn::HornInInches inches = horn.in_inches();
  for (const float& f : frequencies) {
    Row row{};
    row.frequency = f;
    row.wavelength = double(horn::wavelength(f)) * double(horn.units_per_inch());
    row.phase_error = horn::phase_error(inches, f);
    try {
      row.classic = horn::characteristics(horn, f);
    } catch (const numerics::DomainError& e) {
      row.classic_error =
          std::string("the classic model meets the ") + e.function +
          " of a negative number: the aperture is too small in wavelengths for its beamwidth model";
    }
    if (check_phase) {
      row.check = engine_check(horn, f, *check_phase);
      if (row.classic) row.check->outside_limits = outside(*row.classic, row.check->figures);
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace sweep
