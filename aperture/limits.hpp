// The accuracy limits within which a classic figure is taken to hold against
// the engine's (doc/accuracy.md): gain 0.2 dB, beamwidth 1 degree or 5 % of
// the engine's width, whichever is larger, phase centre 0.1 wavelength.
#pragma once

#include <algorithm>
#include <cmath>

namespace aperture::limits {

inline constexpr double gain_db = 0.2;
inline constexpr double phase_centre_wavelengths = 0.1;

// The allowed difference for a beamwidth of `engine_degrees`.
inline double beamwidth_degrees(double engine_degrees) {
  return std::max(1.0, 0.05 * std::abs(engine_degrees));
}

// Whether |classic - engine| is within `limit`; false for NaN.
inline bool holds(double classic, double engine, double limit) { return std::abs(classic - engine) <= limit; }

}  // namespace aperture::limits
