// The characteristics of a horn at one frequency, as a row of the report
// gives them, and the frequencies of a sweep.
#pragma once

#include <cstdint>

#include "horn/geometry.hpp"

namespace horn {

struct Characteristics {
  float frequency;        // GHz
  float wavelength;       // inches
  float gain;             // dB, on the axis
  float e_beamwidth_3db;  // full widths, degrees
  float h_beamwidth_3db;
  float e_beamwidth_10db;
  float h_beamwidth_10db;
  // Axial distance of each plane's phase centre from the aperture plane,
  // positive behind the aperture (toward the cone apex): in wavelengths, and
  // as a length in the horn's unit.
  float e_phase_centre_wavelengths;
  float h_phase_centre_wavelengths;
  float e_phase_centre_length;
  float h_phase_centre_length;
};

// HCWBW, then CHNGN, then CHPCE (with the two 10 dB beamwidths) for the horn
// in inches. The horn's unit_code must be 1 ... 4. An aperture too small in
// wavelengths for the beamwidth model: numerics::DomainError.
Characteristics characteristics(const Horn& horn, const float& frequency);

// The phase-error parameter s = a^2 / (2 lambda R) as the gain routine forms
// it (CHNGN), for a horn in inches at `frequency` GHz.
float phase_error(const HornInInches& horn, const float& frequency);

// Rows of a range: trunc((stop - start) / step + 1.4), so that the stop
// frequency is included when the step divides the range; the most negative
// integer when that is not a number or does not fit (hence no rows).
std::int32_t frequency_count(const float& start, const float& stop, const float& step);

// Frequency of row `index` (1-based): (index - 1) * step + start.
float row_frequency(std::int64_t index, const float& start, const float& step);

}  // namespace horn
