// Phase centre from the phase change between the axis and the 10 dB angle:
// a point source displaced by delta along the axis changes its path by
// delta (1 - cos theta), so delta = phase change / (360 (1 - cos theta)).
#include "horn/phase_centre.hpp"

#include <cmath>

#include "horn/constants.hpp"
#include "horn/pattern.hpp"
#include "numerics/angles.hpp"
#include "numerics/checked_math.hpp"

namespace horn {

float RELA(const float& first_phase, const float& second_phase) {
  float a = first_phase;
  float b = second_phase;
  if (double(a) * double(b) < 0.0) {  // opposite signs: move the negative one up by 360
    if (a < 0.0f) a = double(a) + 360.0;
    if (b < 0.0f) b = double(b) + 360.0;
  }
  const float d = double(a) - double(b);
  return static_cast<float>(numerics::fold_degrees(d));  // one turn at most, for inputs in range
}

void CHPCE(const float& frequency, const float& aperture_radius, const float& slant_radius,
           const float& e_beamwidth_10db, float& e_phase_centre, const float& h_beamwidth_10db,
           float& h_phase_centre) {
  constexpr int steps = 4;

  const float phase_step = numerics::checked_sqrt(double(e_beamwidth_10db) * double(h_beamwidth_10db)) *
                           double(radians_per_degree) / 8.0;
  float e_sum = 0.0f;
  float h_sum = 0.0f;
  float angle = 0.0f;
  float e_amplitude = 0.0f;  // received from CHP11, not used
  float h_amplitude = 0.0f;
  float e_previous = 0.0f;
  float h_previous = 0.0f;
  // The aperture phase is the same at every angle: computed once for the five.
  const AperturePhase aperture_phase(rim_phase(frequency, aperture_radius, slant_radius));
  CHP11(frequency, aperture_radius, slant_radius, angle, e_amplitude, h_amplitude, e_previous, h_previous,
        aperture_phase);
  for (int i = 1; i <= steps; ++i) {
    angle = double(static_cast<float>(i)) * double(phase_step);
    float e_current = 0.0f;
    float h_current = 0.0f;
    CHP11(frequency, aperture_radius, slant_radius, angle, e_amplitude, h_amplitude, e_current, h_current,
          aperture_phase);
    e_sum = double(RELA(e_current, e_previous)) + double(e_sum);
    h_sum = double(RELA(h_current, h_previous)) + double(h_sum);
    e_previous = e_current;
    h_previous = h_current;
  }

  e_phase_centre =
      double(e_sum) / ((1.0 - std::cos(double(e_beamwidth_10db) * double(radians_per_degree) / 2.0)) * 360.0);
  h_phase_centre =
      double(h_sum) / ((1.0 - std::cos(double(h_beamwidth_10db) * double(radians_per_degree) / 2.0)) * 360.0);
}

}  // namespace horn
