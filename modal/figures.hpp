// What the mode-matching engine says of a horn at one frequency: the input
// match, the aperture's mode content, and the far-field figures of its
// radiation (modal/radiation.hpp) by the generic scans and fits of
// farfield/figures.hpp.
//
// Cross-polar peak: the largest |XP| = |C_E - C_H| / 2 (the 45-degree plane
// in Ludwig's third definition) over the forward half-space, relative to the
// co-polar peak there (on the axis for the horns here), by a scan every
// quarter of a unit of ka sin theta refined by Brent's maximiser.
#pragma once

#include <optional>
#include <stdexcept>
#include <vector>

#include "farfield/figures.hpp"
#include "modal/horn.hpp"
#include "modal/radiation.hpp"

namespace modal {

// The aperture's waves as a radiator for the generic figures. Slope bound:
// |dC/dtheta| <= sum |I| |P| + (|V| + |I|) k0 |dP/dw|, with |P| <= pi N k a^2
// and |dP/dw| <= pi N k 2 a^3 / 3 (|J_n|, |J_n'| <= 1).
class ModalRadiator : public farfield::Radiator {
 public:
  ModalRadiator(Guide aperture, const std::vector<Complex>& forward, double k0,
                const std::vector<Complex>& reflection = {});
  explicit ModalRadiator(const HornWave& wave, double k0);
  farfield::PlaneFields far_fields(double theta) const override;
  double ka() const override { return k0_ * aperture_.radius; }
  double wavelength() const override;
  double slope_bound() const override { return slope_bound_; }

 private:
  Guide aperture_;
  Transforms transforms_;
  ApertureSources sources_;
  double k0_, slope_bound_;
};

struct ModeContent {
  Mode mode;
  double relative_db;     // |c / c_TE11| in dB
  double relative_phase;  // degrees
  bool propagating;
};

// The input match and the aperture's mode content: what holds at every ka.
// The input match. Where more than TE-11 propagates in the feeding guide
// (TM-11 above k b = 3.83, ...), the return loss is the total reflected
// power of every propagating mode (power-normalised waves), TE-11's own
// beside it; the VSWR is TE-11's.
// One mode propagating in the feeding guide and its reflection's return
// loss: its reflected power against the incident TE-11 wave's, in dB.
struct GuideReflection {
  Mode mode;
  double return_loss_db;
};

struct Match {
  Complex reflection;  // of TE-11 at the input reference plane
  double return_loss_db, vswr;
  double te11_return_loss_db;                      // TE-11's reflection alone
  std::size_t guide_modes = 1;                     // the modes propagating in the feeding guide
  std::vector<GuideReflection> guide_reflections;  // each of them, TE-11 first
  double uncertainty = 0.0;  // the wave's settled change: of |reflection|, relative to the incident wave
  bool settled = true;       // whether it met the target
  std::vector<ModeContent> modes;  // at the aperture, in the order of the aperture guide's modes
};
Match match(const HornWave& wave, double k0);

// The aperture is narrower than the radiation model's domain (ka >= min_ka,
// modal/radiation.hpp).
struct OutsideRadiationDomain : std::domain_error {
  using std::domain_error::domain_error;
};
// Whether the radiation model holds for an aperture of this radius (m);
// the check throws OutsideRadiationDomain where it does not.
bool radiation_holds(double aperture_radius, double k0);
void check_radiation_domain(double aperture_radius, double k0);

struct Figures : Match, farfield::BeamFigures {
  double directivity_db;
  double peak_cross_polar_db, peak_cross_polar_angle;  // dB, degrees
};
// OutsideRadiationDomain for an aperture below min_ka.
Figures figures(const HornWave& wave, double k0);

// The 45-degree plane's cross-polar peak against the co-polar peak (dB, and
// its angle in degrees).
struct CrossPolarPeak {
  double db, angle;
};
CrossPolarPeak peak_cross_polar(const farfield::Radiator& radiator);

}  // namespace modal
