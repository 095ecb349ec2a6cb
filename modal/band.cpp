#include "modal/band.hpp"

#include <cstdio>
#include <numbers>

#include "modal/modes.hpp"
#include "numerics/units.hpp"

namespace modal {

double wavenumber(double frequency_ghz) { return numerics::wavenumber(frequency_ghz); }

double te11_cut_off_ghz(double radius) { return numerics::te11_cut_off_ghz(radius); }

namespace {

ConvergedWave settled(const std::vector<ProfilePoint>& profile, double highest_frequency_ghz, double target) {
  check_profile(profile);
  return converged_wave(profile, wavenumber(highest_frequency_ghz), target, ApertureLoad::free_space);
}

}  // namespace

Band::Band(std::vector<ProfilePoint> profile, double highest_frequency_ghz, double target)
    : Band(std::move(profile), settled(profile, highest_frequency_ghz, target), highest_frequency_ghz,
           target) {}

Band::Band(std::vector<ProfilePoint>&& profile, ConvergedWave&& c, double highest_frequency_ghz,
           double target)
    : profile_(std::move(profile)),
      highest_frequency_(highest_frequency_ghz),
      target_(target),
      staircase_(staircase(profile_, c.step_length, c.step_rise), c.largest_cutoff),
      change_(c.change),
      converged_(c.converged) {
  highest_ = std::make_shared<const ConvergedWave>(std::move(c));
}

HornWave Band::wave(double frequency_ghz) const {
  ConvergedWave c = converged(frequency_ghz);
  c.wave.mouth_radius = aperture_radius();
  c.wave.settled_change = c.change;
  c.wave.settled = c.converged;
  return std::move(c.wave);
}

ConvergedWave Band::converged(double frequency_ghz) const {
  if (!(frequency_ghz > input_cut_off_ghz())) {
    char text[160];
    std::snprintf(
        text, sizeof text,
        "%.6g GHz lies below the feeding waveguide's TE-11 cut-off (%.6g GHz): no wave enters the horn",
        frequency_ghz, input_cut_off_ghz());
    throw BelowCutOff(text);
  }
  if (frequency_ghz == highest_frequency_ && highest_) return *highest_;
  return converged_wave(profile_, wavenumber(frequency_ghz), target_, ApertureLoad::free_space);
}

}  // namespace modal
