// The engines behind the registry's models: the aperture engine with one of
// its aperture phases, and the mode-matching engine.
#pragma once

#include "aperture/field.hpp"
#include "models/engine.hpp"

namespace models {

class ApertureEngine final : public Engine {
 public:
  constexpr explicit ApertureEngine(aperture::Phase phase) : phase_(phase) {}
  std::string outside_domain(const HornInput& horn, double frequency_ghz) const override;
  Result evaluate(const HornInput& horn, double frequency_ghz, const Asked& asked) const override;
  const char* title() const override { return "the aperture engine"; }

 private:
  aperture::Phase phase_;
};

class ModalEngine final : public Engine {
 public:
  constexpr ModalEngine() = default;
  std::string outside_domain(const HornInput& horn, double frequency_ghz) const override;
  Result evaluate(const HornInput& horn, double frequency_ghz, const Asked& asked) const override;
  const char* title() const override { return "the mode-matching engine"; }
};

}  // namespace models
