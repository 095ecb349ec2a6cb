// Length units: the inch in metres, exact by its definition (1959), the one
// conversion between the classic routines' inches and the engines' metres;
// and the speed of light in vacuum (m/s, exact by the SI's definition), the
// engines' one conversion between frequency and wavelength; with it the
// wavelength and wavenumber of a frequency and the TE-11 cut-off of a
// circular guide, in double precision (the classic routines keep their own
// single-precision constants).
#pragma once

#include <numbers>

namespace numerics {

inline constexpr double metres_per_inch = 0.0254;
inline constexpr double speed_of_light = 299792458.0;

// The free-space wavelength (m) and wavenumber k0 (1/m) of a frequency in GHz.
inline double wavelength_m(double frequency_ghz) { return speed_of_light / (frequency_ghz * 1e9); }
inline double wavenumber(double frequency_ghz) {
  return 2.0 * std::numbers::pi * frequency_ghz * 1e9 / speed_of_light;
}

// The first zero of J1' (the TE-11 mode's cut-off, k a), and the cut-off
// frequency (GHz) of a circular guide of radius `radius` (m): c chi / (2 pi a).
inline constexpr double te11_root = 1.8411837813406593;
// The first zero of J1 (the TM-11 mode's cut-off, k a): the dual-mode and
// corrugated horns' second mode.
inline constexpr double tm11_root = 3.8317059702075125;
inline double te11_cut_off_ghz(double radius) {
  return speed_of_light * te11_root / (2.0 * std::numbers::pi * radius) / 1e9;
}

}  // namespace numerics
