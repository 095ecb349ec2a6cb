// A horn over a band of frequencies, as the programs analyse it. Each
// frequency's steps and modes settle to the target at that frequency alone
// (converged_wave, modal/horn.hpp), so that a figure at one frequency never
// depends on the other frequencies of the run. (A band settled once at its
// highest frequency served every lower one "at least as well", but its
// figures there moved with the band: the corrugated example's return loss
// at 10 GHz was 38.26 dB alone, 37.72 dB with 12 GHz and 38.75 dB with
// 16 GHz.) The band is settled at its highest frequency when it is made, so
// that a wall beyond the engine's work bounds is refused at once. The
// aperture is loaded by free space (modal/horn.hpp).
#pragma once

#include <memory>
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
  // The wave at this frequency, settled there (HornWave::settled_change and
  // settled say how well); BelowCutOff below the feeding waveguide's TE-11
  // cut-off.
  HornWave wave(double frequency_ghz) const;
  // The settled wave with its steps and modes (what another aperture load
  // needs to follow the same staircase); BelowCutOff as wave().
  ConvergedWave converged(double frequency_ghz) const;

  const std::vector<ProfilePoint>& profile() const { return profile_; }
  // The horn's outer contour (z, radius from the rim's outer edge back to the
  // feeding guide's outer surface), for the engines that model the outside
  // (bor/horn.hpp); empty: a thin wall. This engine's wave does not use it.
  const std::vector<ProfilePoint>& outside() const { return outside_; }
  void set_outside(std::vector<ProfilePoint> contour) { outside_ = std::move(contour); }
  double aperture_radius() const { return profile_.back().radius; }
  double input_cut_off_ghz() const { return te11_cut_off_ghz(profile_.front().radius); }
  std::size_t sections() const { return staircase_.size(); }
  // The highest frequency's settling: its sections, K_max (1/m), the last
  // refinement's move and whether it met the target.
  double largest_cutoff() const { return staircase_.largest_cutoff(); }
  double change() const { return change_; }
  bool converged() const { return converged_; }
  double target() const { return target_; }

 private:
  // `profile` is read by the settling before it is moved in.
  Band(std::vector<ProfilePoint>&& profile, ConvergedWave&& settled, double highest_frequency_ghz,
       double target);
  std::vector<ProfilePoint> profile_;
  // The highest frequency's settled wave, which converged() gives again
  // there without settling anew (a run of one frequency settles it once).
  double highest_frequency_;
  std::shared_ptr<const ConvergedWave> highest_;
  std::vector<ProfilePoint> outside_;
  double target_;
  Staircase staircase_;
  double change_;
  bool converged_;
};

}  // namespace modal
