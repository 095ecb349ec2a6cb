#include "pattern/pattern_table.hpp"

#include <cmath>

#include "horn/beamwidth.hpp"
#include "horn/constants.hpp"
#include "horn/pattern.hpp"
#include "horn/phase_centre.hpp"
#include "numerics/angles.hpp"

namespace pattern {

using horn::radians_per_degree;
using numerics::fold_degrees;

std::vector<float> angles(double from, double to, double step) {
  std::vector<float> list;
  const double count = std::floor((to - from) / step + 1e-3);
  for (double i = 0.0; i <= count; i += 1.0) list.push_back(static_cast<float>(from + i * step));
  return list;
}

double phase_centre_correction(double centre, double angle) {
  return 360.0 * centre * (1.0 - std::cos(angle * double(radians_per_degree)));
}

Pattern compute_pattern(const float& frequency, const horn::HornInInches& horn,
                        const std::vector<float>& angle_list, PhaseReference reference,
                        bool with_beamwidths) {
  Pattern result;
  result.reference = reference;
  if (with_beamwidths || reference == PhaseReference::phase_centre) {
    Beamwidths& b = result.beamwidths;
    horn::HCWBW(frequency, horn.aperture_radius, horn.slant_radius, b.e_3db, b.h_3db, b.e_10db, b.h_10db);
    result.has_beamwidths = true;
    if (reference == PhaseReference::phase_centre) {
      horn::CHPCE(frequency, horn.aperture_radius, horn.slant_radius, b.e_10db, result.e_phase_centre,
                  b.h_10db, result.h_phase_centre);
    }
  }

  const float zero = 0.0f;
  PatternRow axis{};
  horn::CHP11(frequency, horn.aperture_radius, horn.slant_radius, zero, axis.e_amplitude, axis.h_amplitude,
              axis.e_phase, axis.h_phase);

  for (const float& degrees : angle_list) {
    PatternRow row{};
    row.angle = degrees;
    const float radians = double(degrees) * double(radians_per_degree);
    horn::CHP11(frequency, horn.aperture_radius, horn.slant_radius, radians, row.e_amplitude, row.h_amplitude,
                row.e_phase, row.h_phase);
    row.e_relative = double(row.e_amplitude) - double(axis.e_amplitude);
    row.h_relative = double(row.h_amplitude) - double(axis.h_amplitude);
    if (reference == PhaseReference::phase_centre) {
      row.e_phase = fold_degrees(double(row.e_phase) - double(axis.e_phase) -
                                 phase_centre_correction(result.e_phase_centre, degrees));
      row.h_phase = fold_degrees(double(row.h_phase) - double(axis.h_phase) -
                                 phase_centre_correction(result.h_phase_centre, degrees));
    }
    result.rows.push_back(row);
  }
  return result;
}

}  // namespace pattern
