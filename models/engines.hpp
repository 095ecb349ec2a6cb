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

// With `outside`, the aperture is coupled to the method of moments on the
// horn's outside (bor/horn.hpp), which radiates over the whole sphere at
// every ka; without, it is loaded by free space's Huygens source and
// radiates forward from ka 8 (modal/radiation.hpp).
class ModalEngine final : public Engine {
 public:
  constexpr explicit ModalEngine(bool outside) : outside_(outside) {}
  std::string outside_domain(const HornInput& horn, double frequency_ghz) const override;
  Result evaluate(const HornInput& horn, double frequency_ghz, const Asked& asked) const override;
  const char* title() const override { return "the mode-matching engine"; }

 private:
  bool outside_;
};

}  // namespace models
