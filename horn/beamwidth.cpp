// Beamwidths from tabulated aperture-pattern levels and a cos^n(theta/2) model.
#include "horn/beamwidth.hpp"

#include <array>
#include <cmath>

#include "horn/constants.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/interpolation.hpp"

namespace horn {
namespace {

// All four tables have one size, so one window serves them.
using Table = std::array<float, 19>;

// Entry j: u = k a sin(theta) at which the TE-11 aperture pattern of the plane,
// without obliquity factor, is down by the level, at phase_error s = 0.04 j.
// clang-format off
constexpr Table e_plane_3db_table = {
    1.61634f,  1.617532f, 1.621152f, 1.627347f, 1.636376f, 1.648646f, 1.664746f,
    1.685553f, 1.712353f, 1.747112f, 1.792959f, 1.855236f, 1.94407f,  2.082324f,
    2.343498f, 3.432937f, 4.365573f, 4.811911f, 5.182586f,
};
constexpr Table h_plane_3db_table = {
    2.037624f, 2.037992f, 2.039111f, 2.04103f,  2.043837f, 2.047667f, 2.052705f,
    2.059218f, 2.067569f, 2.078272f, 2.092054f, 2.109957f, 2.133542f, 2.165214f,
    2.208863f, 2.271244f, 2.365251f, 2.519557f, 2.818097f,
};
constexpr Table e_plane_10db_table = {
    2.73138f,  2.736826f, 2.753659f, 2.783492f, 2.829594f, 2.898245f, 3.002459f,
    3.175743f, 3.572035f, 4.64228f,  5.049207f, 5.313926f, 5.537539f, 5.755751f,
    6.001219f, 6.349974f, 7.696832f, 8.438896f, 8.851929f,
};
constexpr Table h_plane_10db_table = {
    3.518897f, 3.521088f, 3.527774f, 3.539311f, 3.556347f, 3.579902f, 3.611537f,
    3.653629f, 3.709881f, 3.786314f, 3.893343f, 4.050459f, 4.296716f, 4.696241f,
    5.217325f, 5.687263f, 6.086282f, 6.462205f, 6.86721f,
};
// clang-format on

constexpr float two_pi = 6.283185f;
constexpr float level_3db = 0.3465736f;  // ln 2 / 2
constexpr float level_10db = 1.151293f;  // ln 10 / 2
constexpr float power_3db = 0.5f;
constexpr float power_10db = 0.1f;

// theta_1: the angle (radians) at which the aperture pattern alone is down by
// the level of `table`: arcsin of v = u / (k a), through the arc tangent.
float aperture_angle(const float& s, const numerics::TableWindow& window, const Table& table,
                     const float& wavelength, const float& aperture_radius) {
  const float u = numerics::interpolate_window(s, window, table);
  const float v = double(wavelength) * double(u) / (double(two_pi) * double(aperture_radius));
  return std::atan(double(v) / numerics::checked_sqrt(1.0 - double(v) * double(v)));
}

// Full beamwidth (degrees) of the model power pattern cos^q(theta/2), with
// q = 2 (n + 2) and cos^n(theta_1/2) the field ratio of the level.
float model_beamwidth(const float& theta_1, const float& level, const float& power_ratio) {
  constexpr float degrees_per_half_radian = 229.1831f;  // 720 / pi
  const float n = -double(level) / numerics::checked_log(std::cos(double(theta_1) / 2.0));
  const float q = (double(n) + 2.0) * 2.0;
  const float w = std::pow(double(power_ratio), 1.0 / double(q));
  return double(degrees_per_half_radian) *
         std::atan(numerics::checked_sqrt(1.0 - double(w) * double(w)) / double(w));
}

}  // namespace

BeamwidthTables beamwidth_tables() {
  return {e_plane_3db_table, h_plane_3db_table, e_plane_10db_table, h_plane_10db_table};
}

void HCWBW(const float& frequency, const float& aperture_radius, const float& slant_radius,
           float& e_beamwidth_3db, float& h_beamwidth_3db, float& e_beamwidth_10db, float& h_beamwidth_10db) {
  constexpr float table_step = 0.04f;
  constexpr float window_offset = 1.0f;

  const float wavelength = horn::wavelength(frequency);
  const float s =
      (double(aperture_radius) * double(aperture_radius)) / (double(slant_radius) * 2.0 * double(wavelength));

  const auto window = numerics::table_window(s, table_step, window_offset, e_plane_3db_table.size());

  // Both 3 dB angles first (E before H), then each case solved in turn.
  const float e_theta_3db = aperture_angle(s, window, e_plane_3db_table, wavelength, aperture_radius);
  const float h_theta_3db = aperture_angle(s, window, h_plane_3db_table, wavelength, aperture_radius);
  e_beamwidth_3db = model_beamwidth(e_theta_3db, level_3db, power_3db);
  h_beamwidth_3db = model_beamwidth(h_theta_3db, level_3db, power_3db);

  const float e_theta_10db = aperture_angle(s, window, e_plane_10db_table, wavelength, aperture_radius);
  e_beamwidth_10db = model_beamwidth(e_theta_10db, level_10db, power_10db);
  const float h_theta_10db = aperture_angle(s, window, h_plane_10db_table, wavelength, aperture_radius);
  h_beamwidth_10db = model_beamwidth(h_theta_10db, level_10db, power_10db);
}

}  // namespace horn
