#include "reflector/sources.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "horn/pattern.hpp"
#include "numerics/angles.hpp"
#include "numerics/units.hpp"

namespace reflector {

Pattern classic_pattern(float frequency, const horn::HornInInches& horn) {
  const auto phase = std::make_shared<const horn::AperturePhase>(
      horn::rim_phase(frequency, horn.aperture_radius, horn.slant_radius));
  return [frequency, horn, phase](double theta) {
    float e_db = 0.0f, h_db = 0.0f, e_phase = 0.0f, h_phase = 0.0f;
    const float angle = static_cast<float>(theta);
    horn::CHP11(frequency, horn.aperture_radius, horn.slant_radius, angle, e_db, h_db, e_phase, h_phase,
                *phase);
    const auto field = [](float db, float degrees) {
      return std::polar(std::pow(10.0, double(db) / 20.0), double(degrees) / numerics::degrees_per_radian);
    };
    return PlaneFields{field(e_db, e_phase), field(h_db, h_phase)};
  };
}

Pattern engine_pattern(const std::shared_ptr<const aperture::Aperture>& aperture) {
  return [aperture](double theta) {
    const aperture::Aperture::PlaneFields f = aperture->far_fields(theta);
    return PlaneFields{f.e, f.h};
  };
}

HornPattern horn_pattern(float frequency, const horn::HornInInches& horn,
                         std::optional<aperture::Phase> phase) {
  // The lobes of either model lie pi / ka apart in u = ka sin theta.
  const double ka = 2.0 * std::numbers::pi * horn.aperture_radius * numerics::metres_per_inch /
                    (numerics::wavelength_m(double(frequency)));
  HornPattern result{{}, panels_for(ka), classic_tolerance, nullptr};
  // Below the TE-11 cut-off no model describes a feed: the classic one is
  // refused there with the engine's words.
  if (!phase)
    aperture::require_above_cut_off(aperture::horn_from_inches(horn.aperture_radius, 0.0, frequency));
  if (!phase) {
    result.pattern = classic_pattern(frequency, horn);
    return result;
  }
  result.engine = std::make_shared<const aperture::Aperture>(
      aperture::horn_from_inches(horn.aperture_radius, horn.slant_radius, frequency), *phase);
  result.pattern = engine_pattern(result.engine);
  result.tolerance = 1e-10;
  return result;
}

ModalPattern modal_pattern(const modal::HornWave& wave, double k0) {
  modal::check_radiation_domain(wave.radiating_radius(), k0);
  auto radiator = std::make_shared<const modal::ModalRadiator>(wave, k0);
  RadiatorPattern p = radiator_pattern(radiator);
  return {std::move(p.pattern), p.panels, radiator};
}

RadiatorPattern radiator_pattern(std::shared_ptr<const farfield::Radiator> radiator) {
  Pattern pattern = [radiator](double theta) { return radiator->far_fields(theta); };
  const int panels = panels_for(radiator->ka());
  return {std::move(pattern), panels, std::move(radiator)};
}

int panels_for(double ka) { return std::clamp(static_cast<int>(std::ceil(ka)), 16, 1024); }

SampledPattern::SampledPattern(std::vector<double> angles, std::vector<Field> e, std::vector<Field> h)
    : angles_(std::move(angles)), e_(std::move(e)), h_(std::move(h)) {
  const std::size_t n = angles_.size();
  if (n < 2 || e_.size() != n || h_.size() != n) throw std::invalid_argument("fewer than two angles");
  if (angles_.front() != 0.0) throw std::invalid_argument("the first angle is not 0");
  for (std::size_t i = 1; i < n; ++i)
    if (!(angles_[i] > angles_[i - 1])) throw std::invalid_argument("the angles do not ascend");
  auto slopes = [&](const std::vector<Field>& y) {
    std::vector<Field> s(n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t a = i == 0 ? 0 : i - 1, b = i + 1 == n ? i : i + 1;
      s[i] = (y[b] - y[a]) / (angles_[b] - angles_[a]);
    }
    return s;
  };
  e_slope_ = slopes(e_);
  h_slope_ = slopes(h_);
}

PlaneFields SampledPattern::operator()(double theta) const {
  if (!(theta >= 0.0 && theta <= angles_.back())) return {0.0, 0.0};
  const auto upper = std::upper_bound(angles_.begin(), angles_.end(), theta);
  const std::size_t i =
      std::min<std::size_t>(static_cast<std::size_t>(upper - angles_.begin()), angles_.size() - 1) - 1;
  const double h = angles_[i + 1] - angles_[i], t = (theta - angles_[i]) / h;
  // The cubic Hermite basis on [0, 1].
  const double h00 = (1 + 2 * t) * (1 - t) * (1 - t), h10 = t * (1 - t) * (1 - t);
  const double h01 = t * t * (3 - 2 * t), h11 = t * t * (t - 1);
  auto at = [&](const std::vector<Field>& y, const std::vector<Field>& s) {
    return h00 * y[i] + h10 * h * s[i] + h01 * y[i + 1] + h11 * h * s[i + 1];
  };
  return {at(e_, e_slope_), at(h_, h_slope_)};
}

int SampledPattern::panels() const {
  const double step = angles_[1] - angles_[0];
  for (std::size_t i = 1; i + 1 < angles_.size(); ++i)
    if (std::fabs(angles_[i + 1] - angles_[i] - step) > 1e-6 * step) return 16;
  return static_cast<int>(std::min<std::size_t>(angles_.size() - 1, 4096));
}

}  // namespace reflector
