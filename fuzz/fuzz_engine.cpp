// The aperture engine on arbitrary inputs: the aperture radius, slant radius
// and frequency, an angle, a level and a fit half-angle taken whole from the
// input's bytes as doubles (so NaN, infinities, zeros, negative, tiny and
// huge values all occur), and a byte choosing the phase and the plane. A
// horn the engine refuses must raise InvalidHorn and nothing else; one it
// takes gives its figures without a crash, a hang or a sanitizer report. So
// that a million inputs run in minutes, the full figures are computed only up
// to ka 20 (the engine's cost grows as (ka)^2; its domain, up to ka 600, is
// timed in the benchmarks and covered by the tests).
#include <cmath>
#include <cstdint>
#include <cstring>

#include "aperture/figures.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  double values[6] = {0.05, 0.2, 10.0, 0.1, 0.5, 10.0};
  std::memcpy(values, data, std::min(size, sizeof values));
  const std::uint8_t choice = size > sizeof values ? data[sizeof values] : 0;
  const auto phase = choice & 1 ? aperture::Phase::spherical : aperture::Phase::quadratic;
  const auto plane = choice & 2 ? aperture::Plane::h : aperture::Plane::e;
  try {
    const aperture::Aperture engine({values[0], values[1], values[2]}, phase);
    (void)engine.far_field(plane, values[3]);
    (void)engine.efficiency();
    (void)aperture::te11_cut_off(values[0]);
    if (engine.ka() <= 20.0) {
      (void)aperture::figures(engine);
      (void)aperture::beamwidth(engine, plane, values[4]);
      (void)aperture::phase_centre(engine, plane, values[5]);
    }
  } catch (const aperture::InvalidHorn&) {
  }
  return 0;
}
