// HCWBW: full 3 dB and 10 dB beamwidths of the TE-11 conical horn in the E and
// H planes, in degrees. For each case the value u = k a sin(theta) at which the
// aperture pattern is down by the level is interpolated (ALGIP, three points)
// in a table indexed by the phase-error parameter s = a^2 / (2 lambda R); a
// cosine-power model fitted at that angle, times the obliquity factor, is then
// solved for the level.
//
// The table window never starts before the first entry, whatever the inputs.
// An aperture too small in wavelengths for the level (lambda u > 2 pi a) takes
// the square root of a negative number: numerics::DomainError. NaN travels on.
#pragma once

#include <span>

namespace horn {

// The tables of u = k a sin(theta) at the half-power and 10 dB points of the
// aperture pattern alone, entry j at s = 0.04 j, for checks against other models.
struct BeamwidthTables {
  std::span<const float> e_3db, h_3db, e_10db, h_10db;
};
BeamwidthTables beamwidth_tables();

// frequency in GHz, aperture_radius and slant_radius in inches.
void HCWBW(const float& frequency, const float& aperture_radius, const float& slant_radius,
           float& e_beamwidth_3db, float& h_beamwidth_3db, float& e_beamwidth_10db, float& h_beamwidth_10db);

}  // namespace horn
