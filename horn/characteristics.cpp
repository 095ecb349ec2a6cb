#include "horn/characteristics.hpp"

#include "horn/beamwidth.hpp"
#include "horn/constants.hpp"
#include "horn/gain.hpp"
#include "horn/phase_centre.hpp"
#include "numerics/real_to_int.hpp"

namespace horn {

Characteristics characteristics(const Horn& horn, const float& frequency) {
  const HornInInches inches = horn.in_inches();
  Characteristics c{};
  c.frequency = frequency;
  HCWBW(frequency, inches.aperture_radius, inches.slant_radius, c.e_beamwidth_3db, c.h_beamwidth_3db,
        c.e_beamwidth_10db, c.h_beamwidth_10db);
  CHNGN(frequency, inches.aperture_radius, inches.slant_radius, c.gain);
  CHPCE(frequency, inches.aperture_radius, inches.slant_radius, c.e_beamwidth_10db,
        c.e_phase_centre_wavelengths, c.h_beamwidth_10db, c.h_phase_centre_wavelengths);

  // Wavelengths times the wavelength in inches times the unit factor.
  c.wavelength = horn::wavelength(frequency);
  const float units_per_inch = horn.units_per_inch();
  c.e_phase_centre_length =
      double(c.e_phase_centre_wavelengths) * double(c.wavelength) * double(units_per_inch);
  c.h_phase_centre_length =
      double(c.h_phase_centre_wavelengths) * double(c.wavelength) * double(units_per_inch);
  return c;
}

float phase_error(const HornInInches& horn, const float& frequency) {
  const float wavelength = horn::wavelength(frequency);
  return (double(horn.aperture_radius) * double(horn.aperture_radius)) /
         (double(wavelength) * 2.0 * double(horn.slant_radius));
}

std::int32_t frequency_count(const float& start, const float& stop, const float& step) {
  constexpr float count_offset = 1.4f;
  return numerics::trunc_to_int32((double(stop) - double(start)) / double(step) + double(count_offset));
}

float row_frequency(std::int64_t index, const float& start, const float& step) {
  const float offset = static_cast<float>(index - 1);
  return double(offset) * double(step) + double(start);
}

}  // namespace horn
