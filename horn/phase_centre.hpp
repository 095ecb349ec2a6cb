// CHPCE: axial phase centres of the TE-11 conical horn in the E and H planes,
// in wavelengths: the far-field phase (CHP11) is sampled at five angles from
// the axis to the geometric mean of the two 10 dB half-beamwidths, the folded
// phase steps are summed, and the total change is divided by
// 360 (1 - cos(theta_10)) with each plane's own 10 dB half-beamwidth.
//
// A zero 10 dB beamwidth makes its divisor zero (an infinity or NaN results);
// a negative product of the two beamwidths is a math domain error.
//
// RELA(p, q): the phase difference p - q in degrees, folded into -180 ... 180
// for inputs within that range. A difference of exactly 180 is not folded:
// RELA(-90, 90) = +180, RELA(90, -90) = -180. A zero input is never moved.
#pragma once

namespace horn {

float RELA(const float& first_phase, const float& second_phase);

// frequency in GHz, aperture_radius and slant_radius in inches, beamwidths in
// degrees (full width); phase centres in wavelengths.
void CHPCE(const float& frequency, const float& aperture_radius, const float& slant_radius,
           const float& e_beamwidth_10db, float& e_phase_centre, const float& h_beamwidth_10db,
           float& h_phase_centre);

}  // namespace horn
