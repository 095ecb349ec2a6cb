#include "models/engines.hpp"

#include <stdexcept>

#include "aperture/figures.hpp"
#include "bor/horn.hpp"

namespace models {

std::string ApertureEngine::outside_domain(const HornInput& horn, double frequency_ghz) const {
  if (!horn.cone) return "the aperture engine describes a smooth cone";
  try {
    // The constructor checks what validate does and the TE-11 cut-off.
    const aperture::Aperture engine(
        aperture::horn_from_inches(horn.cone->aperture_radius, horn.cone->slant_radius, frequency_ghz),
        phase_);
  } catch (const aperture::InvalidHorn& e) {
    return e.what();
  }
  return {};
}

Result ApertureEngine::evaluate(const HornInput& horn, double frequency_ghz, const Asked& asked) const {
  if (!horn.cone) throw std::invalid_argument("the aperture engine describes a smooth cone");
  Result r;
  try {
    auto engine = std::make_shared<const aperture::Aperture>(
        aperture::horn_from_inches(horn.cone->aperture_radius, horn.cone->slant_radius, frequency_ghz),
        phase_);
    if (asked.figures) {
      const aperture::Figures f = aperture::figures(*engine);
      r.figures = f;
      r.directivity_db = f.directivity_db;
      r.efficiency = f.efficiency;
      r.aperture_formula_db = f.aperture_formula_db;
    }
    if (asked.fields) r.radiator = std::move(engine);
  } catch (const aperture::InvalidHorn& e) {
    r.refused = e.what();
  }
  return r;
}

std::string ModalEngine::outside_domain(const HornInput& horn, double frequency_ghz) const {
  if (!horn.band) return "the mode-matching engine describes a horn by its wall and feeding waveguide";
  if (frequency_ghz <= horn.band->input_cut_off_ghz())
    return "the feeding waveguide is below its TE-11 cut-off";
  if (outside_) return {};
  if (!modal::radiation_holds(horn.band->aperture_radius(), modal::wavenumber(frequency_ghz)))
    return "the aperture is narrower than the radiation model's ka";
  return {};
}

Result ModalEngine::evaluate(const HornInput& horn, double frequency_ghz, const Asked& asked) const {
  if (!horn.band)
    throw std::invalid_argument(
        "the mode-matching engine describes a horn by its wall and feeding waveguide");
  Result r;
  if (outside_) {
    try {
      const bor::CoupledWave coupled = bor::coupled_wave(*horn.band, horn.band->outside(), frequency_ghz);
      if (asked.match) r.match = modal::match(coupled.wave, modal::wavenumber(frequency_ghz));
      if (asked.figures) {
        const bor::Figures f = bor::figures(coupled, frequency_ghz);
        r.directivity_db = f.directivity_db;
        r.peak_cross_polar_db = f.peak_cross_polar_db;
        r.peak_cross_polar_angle = f.peak_cross_polar_angle;
        r.front_to_back_db = f.front_to_back_db;
        r.figures = static_cast<const farfield::BeamFigures&>(f);
        if (!r.match) r.match = static_cast<const modal::Match&>(f);
      }
      if (asked.fields) r.radiator = coupled.radiator;
    } catch (const std::exception& e) {
      r.radiator.reset();
      r.refused = e.what();
    }
    return r;
  }
  try {
    const double k0 = modal::wavenumber(frequency_ghz);
    const modal::HornWave wave = horn.band->wave(frequency_ghz);
    if (asked.match) r.match = modal::match(wave, k0);
    modal::check_radiation_domain(wave.radiating_radius(), k0);
    if (asked.figures) {
      modal::Figures f = modal::figures(wave, k0);
      r.directivity_db = f.directivity_db;
      r.peak_cross_polar_db = f.peak_cross_polar_db;
      r.peak_cross_polar_angle = f.peak_cross_polar_angle;
      r.figures = static_cast<const farfield::BeamFigures&>(f);
      if (!r.match) r.match = static_cast<const modal::Match&>(f);
    }
    if (asked.fields) r.radiator = std::make_shared<const modal::ModalRadiator>(wave, k0);
  } catch (const std::exception& e) {
    r.radiator.reset();
    r.refused = e.what();
  }
  return r;
}

}  // namespace models
