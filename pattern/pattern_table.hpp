// The far-field pattern of a horn over a range of angles, as veskal-pattern
// tabulates and draws it: CHP11's amplitudes and phases, the amplitudes
// relative to the axis, and optionally the phases referred to the phase
// centres that CHPCE gives for the frequency.
#pragma once

#include <string>
#include <vector>

#include "horn/geometry.hpp"

namespace pattern {

enum class PhaseReference { aperture, phase_centre };

struct PatternRow {
  float angle;                     // degrees
  float e_amplitude, h_amplitude;  // dB, as CHP11 gives them
  float e_relative, h_relative;    // dB below the on-axis value
  float e_phase, h_phase;          // degrees
};

struct Beamwidths {
  float e_3db, h_3db, e_10db, h_10db;  // full widths, degrees
};

struct Pattern {
  std::vector<PatternRow> rows;
  PhaseReference reference = PhaseReference::aperture;
  float e_phase_centre = 0.0f, h_phase_centre = 0.0f;  // wavelengths, behind the aperture
  bool has_beamwidths = false;
  Beamwidths beamwidths{};
};

// Angles from `from` to `to` (degrees) by `step`: from + i step while not
// beyond `to` (a thousandth of a step of rounding allowed).
std::vector<float> angles(double from, double to, double step);

// Throws numerics::DomainError when the model cannot describe the horn.
Pattern compute_pattern(const float& frequency, const horn::HornInInches& horn,
                        const std::vector<float>& angles, PhaseReference reference, bool with_beamwidths);

// The phase change of a point source `centre` wavelengths behind the
// reference point, between the axis and `angle` (degrees): 360 centre (1 - cos).
double phase_centre_correction(double centre, double angle);

}  // namespace pattern
