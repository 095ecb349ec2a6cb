// What the companions say of the classic model's limits: its tables end at
// the phase error s = 0.8 (the gain table's last entry; the beamwidth tables
// end at 0.72 and are extrapolated beyond), and its beamwidth model needs an
// aperture large enough in wavelengths for each level.
#pragma once

#include <string>

#include "horn/gain.hpp"
#include "horn/geometry.hpp"

namespace models {

// s = 0.8, the gain table's last entry.
inline constexpr float classic_tables_end = float(horn::gain_table_end);

// Whether the phase error lies beyond the classic tables (NaN counts as beyond).
bool beyond_classic_tables(float phase_error);

// Why the classic model could not compute the horn at `frequency`: a phase
// error beyond its tables (with s and the limit), an aperture below the TE-11
// cut-off or too small in wavelengths (with ka). The reason alone is what a
// table's row holds beside its frequency (rows of one reason share one text);
// classic_failure adds " at F GHz" for a message that stands alone.
std::string classic_reason(const horn::HornInInches& horn, const float& frequency);
std::string classic_failure(const horn::HornInInches& horn, const float& frequency);

// A classic figure that is not finite (a row veskal prints, but fails).
inline constexpr const char* classic_not_finite = "a classic figure is not finite";

// The warning for figures computed beyond the tables.
std::string beyond_tables_warning(float phase_error);

}  // namespace models
