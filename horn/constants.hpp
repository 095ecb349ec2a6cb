// Constants that the horn routines and the front ends share, in single
// precision like every stored quantity.
#pragma once

namespace horn {

// Free-space wavelength in inches times the frequency in GHz (the speed of
// light in inches per nanosecond): lambda = 11.80285 / f.
inline constexpr float speed_of_light = 11.80285f;

inline constexpr float radians_per_degree = 0.01745329f;

// Wavelength in inches at `frequency` GHz, rounded to float once. A zero
// frequency gives an infinity, NaN travels on.
inline float wavelength(const float& frequency) {
  return static_cast<float>(double(speed_of_light) / double(frequency));
}

}  // namespace horn
