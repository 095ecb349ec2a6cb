#include "models/classic.hpp"

#include <numbers>

#include "aperture/field.hpp"
#include "horn/characteristics.hpp"
#include "horn/constants.hpp"
#include "text/numbers.hpp"

namespace models {

using text::fixed;
using text::shortest;

bool beyond_classic_tables(float phase_error) { return !(phase_error <= classic_tables_end); }

std::string classic_reason(const horn::HornInInches& horn, const float& frequency) {
  const float s = horn::phase_error(horn, frequency);
  if (beyond_classic_tables(s))
    return "the phase error s = " + fixed(double(s), 3) +
           " lies beyond the classic model (its tables end at s = " + fixed(double(classic_tables_end), 1) +
           ")";
  const double ka =
      2.0 * std::numbers::pi * double(horn.aperture_radius) / double(horn::wavelength(frequency));
  // Below the TE-11 cut-off in the words every model refuses it with.
  if (!(ka >= aperture::te11_root)) return aperture::below_cut_off(ka);
  return "the aperture is too small in wavelengths for the classic beamwidth model (ka = " + fixed(ka, 2) +
         ")";
}

std::string classic_failure(const horn::HornInInches& horn, const float& frequency) {
  return classic_reason(horn, frequency) + " at " + shortest(frequency) + " GHz";
}

std::string beyond_tables_warning(float phase_error) {
  const double s = phase_error;
  return "warning: the phase error s = " + (s < 1e6 ? fixed(s, 3) : shortest(phase_error)) +
         " lies beyond the classic model's tables (s <= 0.8): its figures are extrapolated and not to be "
         "trusted";
}

}  // namespace models
