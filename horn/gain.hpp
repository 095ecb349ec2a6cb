// CHNGN: on-axis gain of the TE-11 conical horn, in dB: the directivity of a
// uniformly illuminated circular aperture less a loss read, by the phase-error
// parameter s = a^2 / (2 lambda R), from a 41-entry table (three-point
// Lagrange interpolation, quadratic extrapolation beyond s = 0.80).
//
// The table window never starts before the first entry, whatever the inputs.
// A negative product a * f under the logarithm is a math domain error
// (numerics::DomainError); a zero one gives -infinity; NaN travels on.
#pragma once

#include <cstddef>
#include <span>

namespace horn {

// The loss table, entry j at s = 0.02 j (dB), for checks against other models.
std::span<const float> gain_loss_table();

// The table's size and spacing (entries a unit of s), and so its last
// entry's s (0.8 exactly): the end of the classic model's tables.
inline constexpr std::size_t gain_table_size = 41;
inline constexpr int gain_table_entries_per_unit_s = 50;
inline constexpr double gain_table_end = double(gain_table_size - 1) / gain_table_entries_per_unit_s;

// frequency in GHz, aperture_radius and slant_radius in inches; gain in dB.
void CHNGN(const float& frequency, const float& aperture_radius, const float& slant_radius, float& gain);

}  // namespace horn
