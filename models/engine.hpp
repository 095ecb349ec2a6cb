// One interface for every engine: what a model is given (the horn, the
// frequency, what is asked) and what it returns (fields on angles, figures,
// the input match and mode content where it has them), with its own domain
// and why a request lies outside it. The tables and the reflector code call
// an engine through this interface, found in the registry
// (models/registry.hpp); the classic routines are not an engine (they keep
// the report's single-precision rule) and are called directly.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "farfield/figures.hpp"
#include "horn/geometry.hpp"
#include "modal/band.hpp"
#include "modal/figures.hpp"

namespace models {

// The horn an engine is given: a smooth cone in inches (the classic
// routines' description, for the aperture engine), or a wall's band settled
// for the frequencies asked (for the mode-matching engine).
struct HornInput {
  const horn::HornInInches* cone = nullptr;
  const modal::Band* band = nullptr;
};

// What is asked beside the fields.
struct Asked {
  bool fields = true;   // the radiator, for fields on angles
  bool figures = true;  // beamwidths, phase centres, directivity
  bool match = false;   // the input match and the aperture's mode content
};

struct Result {
  // The far field on angles (C_E, C_H on one scale); none when refused.
  std::shared_ptr<const farfield::Radiator> radiator;
  std::optional<farfield::BeamFigures> figures;
  std::optional<double> directivity_db;
  // The aperture engine's aperture efficiency and (ka)^2 efficiency in dB.
  std::optional<double> efficiency, aperture_formula_db;
  // The mode-matching engine's: at every ka, also where it cannot radiate.
  std::optional<modal::Match> match;
  std::optional<double> peak_cross_polar_db, peak_cross_polar_angle;
  // The axis against the back axis (dB), where the model radiates backward.
  std::optional<double> front_to_back_db;
  // Why the engine refuses the fields (outside its domain, or an invalid
  // horn); empty when it gives them.
  std::string refused;
};

class Engine {
 public:
  constexpr Engine() = default;
  virtual ~Engine() = default;
  // Why the engine cannot describe the horn at this frequency (GHz); empty
  // when it can.
  virtual std::string outside_domain(const HornInput& horn, double frequency_ghz) const = 0;
  // The engine's result; a refusal is returned in Result::refused, never
  // thrown. std::invalid_argument for a horn of the wrong kind (a cone to
  // the mode-matching engine without its band, a band to the aperture
  // engine).
  virtual Result evaluate(const HornInput& horn, double frequency_ghz, const Asked& asked) const = 0;
  // How messages name it: "the aperture engine".
  virtual const char* title() const = 0;
};

}  // namespace models
