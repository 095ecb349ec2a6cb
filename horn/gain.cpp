// Gain = 20 log10(k a) - loss(s), the loss interpolated in a table of the
// phase-error loss of the TE-11 aperture against a uniform one.
#include "horn/gain.hpp"

#include <array>

#include "horn/characteristics.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/interpolation.hpp"

namespace horn {
namespace {

// Loss in dB at phase_error s = 0.02 j, j = 0 ... 40.
// clang-format off
constexpr std::array<float, gain_table_size> loss_table = {
    0.774f, 0.779f, 0.795f, 0.821f, 0.858f, 0.905f, 0.963f, 1.032f, 1.112f, 1.203f,
    1.304f, 1.417f, 1.541f, 1.677f, 1.824f, 1.983f, 2.154f, 2.337f, 2.533f, 2.742f,
    2.963f, 3.199f, 3.447f, 3.710f, 3.988f, 4.280f, 4.588f, 4.912f, 5.252f, 5.607f,
    5.983f, 6.375f, 6.786f, 7.216f, 7.665f, 8.134f, 8.623f, 9.133f, 9.662f, 10.211f,
    10.777f,
};
// clang-format on

}  // namespace

std::span<const float> gain_loss_table() { return loss_table; }

void CHNGN(const float& frequency, const float& aperture_radius, const float& slant_radius, float& gain) {
  constexpr float table_step = 0.02f;
  static_assert(table_step == float(1.0 / gain_table_entries_per_unit_s));
  constexpr float window_offset = 1.1f;
  constexpr float db_per_neper = 8.685889f;  // 20 / ln 10
  constexpr float ka_scale = 1.878482f;      // 11.80285 / (2 pi)

  const float s = phase_error({aperture_radius, slant_radius}, frequency);

  const auto window = numerics::table_window(s, table_step, window_offset, loss_table.size());
  const float loss = numerics::interpolate_window(s, window, loss_table);

  gain = double(db_per_neper) *
             numerics::checked_log(double(aperture_radius) * double(frequency) / double(ka_scale)) -
         double(loss);
}

}  // namespace horn
