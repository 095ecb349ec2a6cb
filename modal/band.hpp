// A horn over a band of frequencies, as the programs analyse it. Its steps
// and modes are settled once, at the band's highest frequency, by
// converged_wave (modal/horn.hpp): there the steps are longest in
// wavelengths and K_max / k0 smallest, so the same staircase and the same
// K_max serve every lower frequency at least as well. Then each frequency
// costs one pass of the wave through that staircase. The aperture is loaded
// by free space (modal/horn.hpp).
#pragma once

#include <stdexcept>
#include <vector>

#include "modal/horn.hpp"

namespace modal {

// k0 (1/m) of a frequency in GHz.
double wavenumber(double frequency_ghz);
// The TE-11 cut-off frequency (GHz) of a guide of radius `radius` (m).
double te11_cut_off_ghz(double radius);

// The feeding waveguide carries no TE-11 wave at this frequency.
struct BelowCutOff : std::domain_error {
  using std::domain_error::domain_error;
};

// The accuracy target of the programs: the waves the figures depend on
// settle within 5e-3 of the incident wave (a reflection or an aperture mode
// relative to TE-11 known to -46 dB). A staircase's modes converge slowly
// (each step's edge field needs modes of ever higher order; the waves move
// by about 2.5e-3 each time K_max grows by half), so a tighter target costs
// K_max near 8 k0 and some 64 modes at an X-band aperture: ten times the
// time for changes of a few hundredths of a dB in the patterns.
inline constexpr double band_target = 5e-3;

class Band {
 public:
  // WorkLimit when the profile at the highest frequency exceeds the
  // engine's limits (modal/horn.hpp).
  Band(std::vector<ProfilePoint> profile, double highest_frequency_ghz, double target = band_target);
  // BelowCutOff below the feeding waveguide's TE-11 cut-off.
  HornWave wave(double frequency_ghz) const;

  const std::vector<ProfilePoint>& profile() const { return profile_; }
  double aperture_radius() const { return profile_.back().radius; }
  double input_cut_off_ghz() const { return te11_cut_off_ghz(profile_.front().radius); }
  std::size_t sections() const { return staircase_.size(); }
  double largest_cutoff() const { return staircase_.largest_cutoff(); }  // K_max, 1/m
  double change() const { return change_; }                              // the last refinement's move
  bool converged() const { return converged_; }

 private:
  // `profile` is read by the settling before it is moved in.
  Band(std::vector<ProfilePoint>&& profile, const ConvergedWave& settled);
  std::vector<ProfilePoint> profile_;
  Staircase staircase_;
  double change_;
  bool converged_;
};

}  // namespace modal
