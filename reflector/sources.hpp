// The patterns a feed's figures are computed from: the classic model's
// CHP11, the aperture engine's fields, or plane cuts sampled elsewhere (a
// measurement, a full-wave solver), each as C_E and C_H of reflector/feed.hpp.
#pragma once

#include <memory>
#include <numbers>
#include <optional>
#include <vector>

#include "aperture/field.hpp"
#include "horn/geometry.hpp"
#include "modal/figures.hpp"
#include "reflector/feed.hpp"

namespace reflector {

// CHP11's amplitude (dB) and phase (degrees) at float(theta), in the classic
// model's single precision, as 10^(dB/20) exp(j phase). Its values carry
// seven digits: its integrals converge to classic_tolerance.
Pattern classic_pattern(float frequency, const horn::HornInInches& horn);
inline constexpr double classic_tolerance = 1e-7;

// The aperture engine's F_E and F_H (obliquity factor included).
Pattern engine_pattern(const std::shared_ptr<const aperture::Aperture>& aperture);

// A horn's pattern in one of the models: the classic CHP11 (no engine
// phase) or the aperture engine with that aperture phase, with the first
// panel count and the tolerance its integrals are taken to. Throws
// aperture::InvalidHorn for a horn the engine refuses, and in every model
// for an aperture below the TE-11 cut-off.
struct HornPattern {
  Pattern pattern;
  int panels;
  double tolerance;
  std::shared_ptr<const aperture::Aperture> engine;  // for the engine models
  Feed feed() const { return Feed(pattern, std::numbers::pi, panels, tolerance); }
};
HornPattern horn_pattern(float frequency, const horn::HornInInches& horn,
                         std::optional<aperture::Phase> phase);

// The mode-matching engine's far field of a horn's aperture waves at k0
// (1/m), its integrals to 1e-10. Throws modal::OutsideRadiationDomain for an
// aperture below the radiation model's ka.
struct ModalPattern {
  Pattern pattern;
  int panels;
  std::shared_ptr<const modal::ModalRadiator> radiator;
  Feed feed() const { return Feed(pattern, std::numbers::pi, panels, 1e-10); }
};
ModalPattern modal_pattern(const modal::HornWave& wave, double k0);

// Any engine's far field as a feed's pattern, its integrals to 1e-10.
struct RadiatorPattern {
  Pattern pattern;
  int panels;
  std::shared_ptr<const farfield::Radiator> radiator;
  Feed feed() const { return Feed(pattern, std::numbers::pi, panels, 1e-10); }
};
RadiatorPattern radiator_pattern(std::shared_ptr<const farfield::Radiator> radiator);

// The first rule's panel count for a horn of this ka over [0, pi]: one
// panel per lobe of the pattern (lobes are pi / ka apart in u = ka sin theta).
int panels_for(double ka);

// C_E and C_H sampled at ascending angles from 0 (radians): real and
// imaginary parts interpolated by cubic Hermite polynomials with slopes from
// the neighbouring samples (one-sided at the ends), so that a phase that
// turns slowly between samples and a null are followed alike; zero beyond the
// last angle.
class SampledPattern {
 public:
  // At least two samples, the first at 0, ascending; std::invalid_argument
  // otherwise.
  SampledPattern(std::vector<double> angles, std::vector<Field> e, std::vector<Field> h);
  PlaneFields operator()(double theta) const;
  double reach() const { return angles_.back(); }
  // Panels aligned with the samples where they are evenly spaced.
  int panels() const;

 private:
  std::vector<double> angles_;
  std::vector<Field> e_, h_, e_slope_, h_slope_;
};

}  // namespace reflector
