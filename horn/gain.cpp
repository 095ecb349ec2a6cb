// Gain = 20 log10(k a) - loss(s), the loss interpolated in a table of the
// phase-error loss of the TE-11 aperture against a uniform one.
#include "horn/gain.hpp"

#include <array>

#include "numerics/checked_math.hpp"
#include "numerics/real_to_int.hpp"

namespace horn {
namespace {

// Loss in dB at phase_error s = 0.02 j, j = 0 ... 40.
constexpr std::array<float, 41> gain_loss_table = {
    0.774f, 0.779f, 0.795f, 0.821f, 0.858f, 0.905f, 0.963f, 1.032f, 1.112f, 1.203f,
    1.304f, 1.417f, 1.541f, 1.677f, 1.824f, 1.983f, 2.154f, 2.337f, 2.533f, 2.742f,
    2.963f, 3.199f, 3.447f, 3.710f, 3.988f, 4.280f, 4.588f, 4.912f, 5.252f, 5.607f,
    5.983f, 6.375f, 6.786f, 7.216f, 7.665f, 8.134f, 8.623f, 9.133f, 9.662f, 10.211f,
    10.777f,
};

}  // namespace

void CHNGN(const float& frequency, const float& aperture_radius, const float& slant_radius,
           float& gain) {
  constexpr float speed_of_light = 11.80285f;  // inches per nanosecond
  constexpr float table_step = 0.02f;
  constexpr float window_offset = 1.1f;
  constexpr float db_per_neper = 8.685889f;    // 20 / ln 10
  constexpr float ka_scale = 1.878482f;        // 11.80285 / (2 pi)

  const float wavelength = double(speed_of_light) / double(frequency);
  const float s = (double(aperture_radius) * double(aperture_radius)) /
                  (double(wavelength) * 2.0 * double(slant_radius));

  std::int32_t m = numerics::trunc_to_int32(double(s) / double(table_step) + double(window_offset));
  if (m > 39) m = 39;
  if (m < 1) m = 1;

  // Three-point Lagrange interpolation through table entries m-1, m, m+1.
  float x[3];
  float y[3];
  for (int i = 0; i < 3; ++i) {
    x[i] = double(static_cast<float>(m + i - 1)) * double(table_step);
    y[i] = gain_loss_table[m + i - 1];
  }
  float loss = 0.0f;
  for (int i = 0; i < 3; ++i) {
    float p = 1.0f;
    for (int j = 0; j < 3; ++j) {
      if (j == i) continue;
      p = (double(s) - double(x[j])) * double(p) / (double(x[i]) - double(x[j]));
    }
    loss = double(p) * double(y[i]) + double(loss);
  }

  gain = double(db_per_neper) *
             numerics::checked_log(double(aperture_radius) * double(frequency) / double(ka_scale)) -
         double(loss);
}

}  // namespace horn
