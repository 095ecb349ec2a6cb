#include "synthesis/families.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <stdexcept>

#include "numerics/units.hpp"

namespace synthesis {
namespace {

using std::numbers::pi;

constexpr std::array family_list = {
    FamilyInfo{Family::corrugated, "corrugated",
               "a corrugated horn: a variable-depth mode converter, then quarter-wave slots along a "
               "sine-squared profile",
               "Granet and James, IEEE Antennas Propagat. Mag. 47(2), 2005"},
    FamilyInfo{Family::potter, "potter",
               "a dual-mode (Potter) horn: a step that makes TM-11, a phasing cylinder, a cone",
               "Potter, Microwave Journal 6, 1963"},
    FamilyInfo{Family::profiled, "profiled",
               "a smooth-walled profiled horn: a monotone spline through four control radii",
               "Granet et al., IEEE Trans. Antennas Propagat. 52(3), 2004"},
    FamilyInfo{Family::choke, "choke",
               "a choke-ring feed: an open guide standing proud of a flange with one quarter-wave groove",
               "Wohlleben, Mattes and Lochner, Electronics Letters 8, 1972"},
};

constexpr std::array corrugated_parameters = {
    Parameter{"aperture_radius", "aperture radius", true},
    Parameter{"length", "flare length", true},
    Parameter{"profile_shape", "sine-squared share A", false},
    Parameter{"converter_depth", "first slot depth / lambda_c", false},
    Parameter{"slot_depth_scale", "slot depth / rule's", false},
};
constexpr std::array potter_parameters = {
    Parameter{"step_radius", "step radius", true},
    Parameter{"phasing_length", "phasing length", true},
    Parameter{"flare_length", "flare length", true},
    Parameter{"aperture_radius", "aperture radius", true},
};
constexpr std::array profiled_parameters = {
    Parameter{"aperture_radius", "aperture radius", true},
    Parameter{"length", "profile length", true},
    Parameter{"control_1", "control radius 1 (share)", false},
    Parameter{"control_2", "control radius 2 (share)", false},
    Parameter{"control_3", "control radius 3 (share)", false},
    Parameter{"control_4", "control radius 4 (share)", false},
};

constexpr std::array choke_parameters = {
    Parameter{"recess", "guide proud of the flange", true},
    Parameter{"groove_offset", "groove from the guide's outside", true},
    Parameter{"groove_width", "groove width", true},
    Parameter{"groove_depth", "groove depth", true},
};

// The primer's mode converter and slot ratio, pitch and first depth.
constexpr int converter_slots = 5;
constexpr double slot_ratio = 0.8;
constexpr double pitch_per_wavelength = 1.0 / 8.0;
constexpr double first_depth = 0.42;  // sigma, wavelengths
// The narrow-flare horn's aperture phase error, wavelengths.
constexpr double phase_error = 0.125;
// The HE-11 aperture field's Gaussian waist over the aperture radius, and
// the aperture efficiency a gain goal is sized with.
constexpr double waist_per_radius = 0.6435;
constexpr double he11_efficiency = 0.8;
constexpr double neper_db = 8.685889638065035;  // 20 log10(e)
constexpr int control_points = 4;
constexpr int spline_segments = 48;

struct BandWavenumbers {
  double k_min, k_max, k_c, lambda_c;
};
BandWavenumbers wavenumbers(std::span<const float> frequencies) {
  if (frequencies.empty()) throw std::invalid_argument("no frequency");
  const auto [lo, hi] = std::minmax_element(frequencies.begin(), frequencies.end());
  const double f_c = centre_frequency(frequencies);
  return {numerics::wavenumber(*lo), numerics::wavenumber(*hi), numerics::wavenumber(f_c),
          numerics::wavelength_m(f_c)};
}

// A design of the family from its input guide: the guide one diameter long
// before the horn (the input reference plane), the lowest frequency's TE-11
// wave checked.
Design started(Family family, double input_radius, const BandWavenumbers& b) {
  if (!(b.k_min * input_radius > numerics::te11_root))
    throw std::invalid_argument("the input guide carries no TE-11 wave at the band's lowest frequency");
  Design d{};
  d.family = family;
  d.input_radius = input_radius;
  d.feed_length = 2.0 * input_radius;
  d.centre_wavelength = b.lambda_c;
  return d;
}

// The sine-squared blend of the primer, 0 at z = 0 to 1 at z = L.
double blend(double t, double shape) {
  const double s = std::sin(pi * t / 2.0);
  return (1.0 - shape) * t + shape * s * s;
}

// A box [lo, hi] that is never inverted (a limit tighter than the family
// allows leaves one value), and the value clamped into it.
void bound(Design& d, double value, double lo, double hi) {
  hi = std::max(hi, lo);
  d.values.push_back(std::clamp(value, lo, hi));
  d.lower.push_back(lo);
  d.upper.push_back(hi);
}

// A limit tighter than the family's smallest horn for the band.
void require_fits(double least, double limit, const char* option, double offset = 0.0) {
  if (limit > 0.0 && limit < least) throw Unfit(option, least + offset);
}

// The upper bound a limit sets (none where it is 0).
double capped(double value, double limit) { return limit > 0.0 ? std::min(value, limit) : value; }

// Fritsch-Carlson monotone cubic through (x_i, y_i), x increasing, at x.
double monotone_cubic(std::span<const double> x, std::span<const double> y, double at) {
  const std::size_t n = x.size();
  std::vector<double> slope(n - 1), tangent(n);
  for (std::size_t i = 0; i + 1 < n; ++i) slope[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
  tangent[0] = slope[0];
  tangent[n - 1] = slope[n - 2];
  for (std::size_t i = 1; i + 1 < n; ++i)
    tangent[i] = slope[i - 1] * slope[i] <= 0.0 ? 0.0 : (slope[i - 1] + slope[i]) / 2.0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (slope[i] == 0.0) {
      tangent[i] = tangent[i + 1] = 0.0;
      continue;
    }
    const double a = tangent[i] / slope[i], b = tangent[i + 1] / slope[i], r = a * a + b * b;
    if (r > 9.0) {
      const double t = 3.0 / std::sqrt(r);
      tangent[i] = t * a * slope[i];
      tangent[i + 1] = t * b * slope[i];
    }
  }
  const auto above = std::upper_bound(x.begin(), x.end(), at) - x.begin();
  const std::size_t i =
      static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(above - 1, 0, std::ptrdiff_t(n) - 2));
  const double h = x[i + 1] - x[i], t = (at - x[i]) / h;
  const double h00 = (1 + 2 * t) * (1 - t) * (1 - t), h10 = t * (1 - t) * (1 - t);
  const double h01 = t * t * (3 - 2 * t), h11 = t * t * (t - 1);
  return h00 * y[i] + h10 * h * tangent[i] + h01 * y[i + 1] + h11 * h * tangent[i + 1];
}

Design corrugated(std::span<const float> frequencies, const Goal& goal, const Limits& limits) {
  const BandWavenumbers b = wavenumbers(frequencies);
  Design d = started(Family::corrugated, limits.input_radius > 0.0 ? limits.input_radius : 3.0 / b.k_c, b);
  // Pitch and slot ratio within the workshop's thinnest ridge and slot.
  double pitch = pitch_per_wavelength * b.lambda_c;
  d.slot_ratio = slot_ratio;
  if (limits.min_ridge > 0.0) {
    if ((1.0 - d.slot_ratio) * pitch < limits.min_ridge)
      d.slot_ratio = std::max(0.5, 1.0 - limits.min_ridge / pitch);
    pitch = std::max({pitch, limits.min_ridge / (1.0 - d.slot_ratio), limits.min_ridge / d.slot_ratio});
  }
  d.converter = converter_slots;
  const double a_rule = std::max(gaussian_aperture_radius(goal, b.k_c), 1.2 * d.input_radius);
  const double length_rule = a_rule * a_rule / (2.0 * b.lambda_c * phase_error);
  const double room = limits.max_length > 0.0 ? limits.max_length - d.feed_length : length_rule * 2.0;
  // As many periods as the rule's length holds, or the room the limit leaves.
  d.periods = std::max(d.converter + 3, static_cast<int>(std::lround(std::min(length_rule, room) / pitch)));
  // The length sets the pitch, L / (N + 1 - slot ratio): within the workshop's
  // ridge, and at most a quarter of the shortest wavelength.
  const double periods = d.periods + 1.0 - d.slot_ratio;
  const double ridge_floor = limits.min_ridge > 0.0 ? periods * limits.min_ridge / (1.0 - d.slot_ratio) : 0.0;
  const double slot_floor = limits.min_ridge > 0.0 ? periods * limits.min_ridge / d.slot_ratio : 0.0;
  const double length_lo = std::max({0.4 * length_rule, ridge_floor, slot_floor});
  const double length_hi = std::min({2.0 * length_rule, room, periods * (2.0 * pi / b.k_max) / 4.0});
  require_fits(1.1 * d.input_radius, limits.max_aperture_radius, "max_aperture_diameter");
  require_fits(length_lo, room, "max_length", d.feed_length);
  bound(d, a_rule, 1.1 * d.input_radius, capped(1.5 * a_rule, limits.max_aperture_radius));
  bound(d, length_rule, length_lo, length_hi);
  bound(d, 0.0, 0.0, 1.0);
  bound(d, first_depth, 0.3, 0.5);
  bound(d, 1.0, 0.85, 1.2);
  return d;
}

Design potter(std::span<const float> frequencies, const Goal& goal, const Limits& limits) {
  const BandWavenumbers b = wavenumbers(frequencies);
  Design d =
      started(Family::potter,
              limits.input_radius > 0.0 ? limits.input_radius : 0.95 * numerics::tm11_root / b.k_max, b);
  const double step_lo = std::max(1.01 * numerics::tm11_root / b.k_min, 1.02 * d.input_radius);
  const double step = std::max(1.1 * numerics::tm11_root / b.k_min, 1.05 * d.input_radius);
  const double a_rule = std::max(gaussian_aperture_radius(goal, b.k_c), 1.1 * step);
  // The cone's apex distance for the phase error, and its axial length.
  const double slant = a_rule * a_rule / (2.0 * b.lambda_c * phase_error);
  const double flare = slant * (a_rule - step) / a_rule;
  // TE-11 against TM-11: a whole number of turns from the step to the aperture.
  auto beta_difference = [&](double a) {
    const double k2 = b.k_c * b.k_c;
    const double te = std::sqrt(k2 - std::pow(numerics::te11_root / a, 2));
    const double tm2 = k2 - std::pow(numerics::tm11_root / a, 2);
    return te - (tm2 > 0.0 ? std::sqrt(tm2) : 0.0);
  };
  double in_flare = 0.0;
  constexpr int n = 200;
  for (int i = 0; i < n; ++i) in_flare += beta_difference(step + (a_rule - step) * (i + 0.5) / n) * flare / n;
  const double turns = std::ceil(in_flare / (2.0 * pi));
  const double phasing = (2.0 * pi * std::max(1.0, turns) - in_flare) / beta_difference(step);
  const double room = limits.max_length > 0.0 ? limits.max_length - d.feed_length : 4.0 * (phasing + flare);
  bound(d, step, step_lo, std::max(step_lo, 1.35 * numerics::tm11_root / b.k_min));
  bound(d, phasing, 0.0, std::min(room, 2.0 * phasing + b.lambda_c));
  bound(d, flare, 0.3 * flare, std::min(room, 2.0 * flare));
  require_fits(1.05 * step_lo, limits.max_aperture_radius, "max_aperture_diameter");
  require_fits(0.3 * flare, room, "max_length", d.feed_length);
  bound(d, a_rule, 1.05 * step_lo, capped(1.5 * a_rule, limits.max_aperture_radius));
  return d;
}

Design profiled(std::span<const float> frequencies, const Goal& goal, const Limits& limits) {
  const BandWavenumbers b = wavenumbers(frequencies);
  Design d =
      started(Family::profiled,
              limits.input_radius > 0.0 ? limits.input_radius : 0.9 * numerics::tm11_root / b.k_max, b);
  const double a_rule = std::max(gaussian_aperture_radius(goal, b.k_c), 1.2 * d.input_radius);
  const double length_rule = a_rule * a_rule / (2.0 * b.lambda_c * phase_error);
  const double room = limits.max_length > 0.0 ? limits.max_length - d.feed_length : 2.0 * length_rule;
  require_fits(1.1 * d.input_radius, limits.max_aperture_radius, "max_aperture_diameter");
  require_fits(0.3 * length_rule, room, "max_length", d.feed_length);
  bound(d, a_rule, 1.1 * d.input_radius, capped(1.5 * a_rule, limits.max_aperture_radius));
  bound(d, length_rule, 0.3 * length_rule, std::min(room, 2.0 * length_rule));
  for (int j = 1; j <= control_points; ++j) bound(d, blend(j / (control_points + 1.0), 1.0), 0.0, 1.0);
  return d;
}

Design choke(std::span<const float> frequencies, const Limits& limits) {
  const BandWavenumbers b = wavenumbers(frequencies);
  Design d = started(Family::choke, limits.input_radius > 0.0 ? limits.input_radius : 2.45 / b.k_c, b);
  const double l = b.lambda_c, ridge = std::max(limits.min_ridge, 0.02 * l);
  d.wall_thickness = limits.wall_thickness > 0.0 ? limits.wall_thickness : 0.04 * l;
  d.rim = std::max(limits.min_ridge, 0.08 * l);
  d.base = std::max(limits.min_ridge, 0.08 * l);
  bound(d, 0.12 * l, 0.0, 0.3 * l);
  bound(d, 0.12 * l, ridge, 0.4 * l);
  bound(d, 0.33 * l, std::max(limits.min_ridge, 0.1 * l), 0.6 * l);
  bound(d, 0.25 * l, 0.15 * l, 0.45 * l);
  // The guide from the input plane reaches behind the flange's back at its deepest.
  d.feed_length = d.upper[0] + d.upper[3] + d.base + 0.5 * l;
  const double narrowest = d.input_radius + d.wall_thickness + ridge + d.lower[2] + d.rim;
  require_fits(narrowest, limits.max_aperture_radius, "max_aperture_diameter");
  return d;
}

}  // namespace

std::span<const FamilyInfo> families() { return family_list; }

const FamilyInfo& info(Family family) {
  for (const FamilyInfo& f : family_list)
    if (f.family == family) return f;
  throw std::invalid_argument("no such family");
}

std::optional<Family> find_family(std::string_view name) {
  for (const FamilyInfo& f : family_list)
    if (f.name == name) return f.family;
  return std::nullopt;
}

std::span<const Parameter> parameters(Family family) {
  switch (family) {
    case Family::corrugated: return corrugated_parameters;
    case Family::potter: return potter_parameters;
    case Family::profiled: return profiled_parameters;
    case Family::choke: return choke_parameters;
  }
  return {};
}

double centre_frequency(std::span<const float> frequencies) {
  const auto [lo, hi] = std::minmax_element(frequencies.begin(), frequencies.end());
  return std::sqrt(double(*lo) * double(*hi));
}

double gaussian_aperture_radius(const Goal& goal, double k) {
  if (goal.gain_db) return std::sqrt(std::pow(10.0, *goal.gain_db / 10.0) / he11_efficiency) / k;
  if (!(goal.taper_db > 0.0) || !(goal.angle_deg > 0.0 && goal.angle_deg < 90.0))
    throw std::invalid_argument(
        "the pattern goal needs a taper above 0 dB at an angle between 0 and 90 degrees");
  const double kw = 2.0 * std::sqrt(goal.taper_db / neper_db) / std::tan(goal.angle_deg * pi / 180.0);
  return kw / (waist_per_radius * k);
}

double slot_depth_factor(double ka) { return std::exp(1.0 / (2.114 * std::pow(ka, 1.134))); }

Design rule_design(Family family, std::span<const float> frequencies, const Goal& goal,
                   const Limits& limits) {
  switch (family) {
    case Family::corrugated: return corrugated(frequencies, goal, limits);
    case Family::potter: return potter(frequencies, goal, limits);
    case Family::profiled: return profiled(frequencies, goal, limits);
    case Family::choke: return choke(frequencies, limits);
  }
  throw std::invalid_argument("no such family");
}

std::vector<modal::ProfilePoint> wall(const Design& d) {
  const double a_i = d.input_radius, z0 = d.feed_length;
  std::vector<modal::ProfilePoint> w{{0.0, a_i}, {z0, a_i}};
  if (d.family == Family::choke) return w;  // the open guide: its flange is outside
  const std::vector<double>& v = d.values;
  switch (d.family) {
    case Family::corrugated: {
      const double a_o = v[0], length = v[1], shape = v[2], sigma = v[3], scale = v[4];
      const double pitch = length / (d.periods + 1.0 - d.slot_ratio);
      const double ridge = (1.0 - d.slot_ratio) * pitch;
      const double k_c = 2.0 * pi / d.centre_wavelength;
      auto radius = [&](int j) {
        return j == d.periods ? a_o : a_i + (a_o - a_i) * blend((j * pitch + ridge / 2.0) / length, shape);
      };
      double z = z0;
      for (int j = 0; j < d.periods; ++j) {
        const double r = radius(j);
        const double quarter = d.centre_wavelength * slot_depth_factor(k_c * r);
        const double depth =
            j < d.converter ? (sigma - j * (sigma - 0.25) / d.converter) * quarter : scale * 0.25 * quarter;
        w.push_back({z, r});
        w.push_back({z + ridge, r});
        w.push_back({z + ridge, r + depth});
        w.push_back({z + pitch, r + depth});
        z += pitch;
      }
      w.push_back({z, a_o});
      w.push_back({z + ridge, a_o});
      break;
    }
    case Family::potter: {
      const double step = v[0], phasing = v[1], flare = v[2], a_o = v[3];
      w.push_back({z0, step});
      if (phasing > 0.0) w.push_back({z0 + phasing, step});
      w.push_back({z0 + phasing + flare, a_o});
      break;
    }
    case Family::choke: break;
    case Family::profiled: {
      const double a_o = v[0], length = v[1];
      std::array<double, control_points + 2> x{}, y{};
      for (int j = 0; j <= control_points + 1; ++j) x[j] = j / (control_points + 1.0);
      y.back() = 1.0;
      for (int j = 1; j <= control_points; ++j) y[j] = v[1 + j];
      for (int i = 1; i <= spline_segments; ++i) {
        const double t = double(i) / spline_segments;
        const double u = i == spline_segments ? 1.0 : monotone_cubic(x, y, t);
        w.push_back({z0 + t * length, a_i + (a_o - a_i) * u});
      }
      break;
    }
  }
  return w;
}

std::vector<modal::ProfilePoint> outside(const Design& d) {
  if (d.family != Family::choke) return {};
  const double recess = d.values[0], offset = d.values[1], width = d.values[2], depth = d.values[3];
  const double z_ap = d.feed_length, guide = d.input_radius + d.wall_thickness;
  const double z_f = z_ap - recess, r1 = guide + offset, r2 = r1 + width, flange = r2 + d.rim;
  const double back = z_f - depth - d.base;
  std::vector<modal::ProfilePoint> c{{z_ap, guide}};
  if (recess > 0.0) c.push_back({z_f, guide});
  for (const modal::ProfilePoint& q : std::initializer_list<modal::ProfilePoint>{{z_f, r1},
                                                                                 {z_f - depth, r1},
                                                                                 {z_f - depth, r2},
                                                                                 {z_f, r2},
                                                                                 {z_f, flange},
                                                                                 {back, flange},
                                                                                 {back, guide}})
    c.push_back(q);
  return c;
}

double total_length(const Design& design) { return wall(design).back().z; }

}  // namespace synthesis
