#include "solver/solver.hpp"

#include <algorithm>
#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <vector>

#include "aperture/figures.hpp"
#include "bor/horn.hpp"
#include "farfield/figures.hpp"
#include "horn/beamwidth.hpp"
#include "horn/constants.hpp"
#include "horn/gain.hpp"
#include "models/engine.hpp"
#include "numerics/angles.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/units.hpp"
#include "reflector/sources.hpp"
#include "text/numbers.hpp"

namespace design {
namespace {

using std::numbers::pi;
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double min_phase_error = 1e-4;

using text::fixed;

// The requirement as text, and a value of its quantity with its unit.
std::string unit_of(Quantity q) {
  return q == Quantity::gain || q == Quantity::edge_taper ? " dB"
         : q == Quantity::aperture_efficiency             ? ""
                                                          : " degrees";
}
std::string value_text(Quantity q, double v) {
  return fixed(v, q == Quantity::gain || q == Quantity::edge_taper ? 2
                  : q == Quantity::aperture_efficiency             ? 4
                                                                   : 1) +
         unit_of(q);
}
std::string what(const Problem& p) {
  if (p.quantity == Quantity::gain) return "gain";
  if (p.quantity == Quantity::edge_taper)
    return " mean edge taper at " + fixed(p.half_angle * numerics::degrees_per_radian, 1) + " degrees";
  if (p.quantity == Quantity::aperture_efficiency) return "n aperture efficiency";
  const char* plane = p.plane == Plane::e ? "n E-plane " : p.plane == Plane::h ? "n H-plane " : " mean ";
  return plane + std::string(p.quantity == Quantity::beamwidth_3db ? "3 dB beamwidth" : "10 dB beamwidth");
}

double wavelength(const Problem& p) { return double(horn::wavelength(p.frequency)); }

// Gain and edge taper grow with the aperture at a fixed phase error;
// beamwidths shrink.
bool grows(const Problem& p) { return p.quantity == Quantity::gain || p.quantity == Quantity::edge_taper; }

// The aperture radius at which the figure reaches the value, for phase error
// s fixed; none when no aperture between `lo` and `hi` does. Gain grows and
// beamwidths shrink with the aperture at fixed s.
std::optional<double> aperture_for(const Problem& p, double s, double lo, double hi) {
  const double lambda = wavelength(p);
  auto excess = [&](double a) {
    const auto v = figure(p, a, aperture::slant_radius_for(a, lambda, s));
    if (!v) return -infinity;  // an aperture too small for the model: too little gain, too wide a beam
    return grows(p) ? *v - p.value : p.value - *v;
  };
  double f_lo = excess(lo), f_hi = excess(hi);
  if (!(f_lo <= 0.0 && f_hi >= 0.0)) return std::nullopt;
  if (!std::isfinite(f_lo)) {  // move the lower end up, geometrically, to where the model computes
    double a = lo;
    for (int i = 1; i < 120 && !std::isfinite(f_lo); ++i)
      f_lo = excess(a = lo * std::pow(hi / lo, i / 120.0));
    if (!(f_lo <= 0.0)) return std::nullopt;  // already beyond the value where a horn begins
    lo = a;
  }
  std::uintmax_t iterations = 100;
  const auto r = boost::math::tools::toms748_solve(excess, lo, hi, f_lo, f_hi,
                                                   boost::math::tools::eps_tolerance<double>(36), iterations);
  return (r.first + r.second) / 2.0;
}

// The same at fixed aperture, over s; `first` crossing from the smallest s.
std::optional<double> phase_error_for(const Problem& p, double a) {
  const double lambda = wavelength(p);
  const double s_hi = std::min(max_phase_error, a / (2.0 * lambda));  // R >= a
  auto excess = [&](double s) {
    const auto v = figure(p, a, aperture::slant_radius_for(a, lambda, s));
    if (!v) return std::nan("");
    return grows(p) ? *v - p.value : p.value - *v;
  };
  constexpr int steps = 160;
  double previous_s = min_phase_error, previous = excess(previous_s);
  for (int i = 1; i <= steps; ++i) {
    const double s = min_phase_error + (s_hi - min_phase_error) * i / steps;
    const double e = excess(s);
    if (std::isfinite(previous) && std::isfinite(e) && (previous >= 0.0) != (e >= 0.0)) {
      std::uintmax_t iterations = 100;
      const auto r = boost::math::tools::toms748_solve(
          excess, previous_s, s, previous, e, boost::math::tools::eps_tolerance<double>(36), iterations);
      return (r.first + r.second) / 2.0;
    }
    previous_s = s;
    previous = e;
  }
  return std::nullopt;
}

// The figure's range over a scan, for the message of an infeasible requirement.
struct Range {
  double low = infinity, high = -infinity;
  void add(const std::optional<double>& v) {
    if (v && std::isfinite(*v)) low = std::min(low, *v), high = std::max(high, *v);
  }
  double nearest(double value) const { return std::clamp(value, low, high); }
};

[[noreturn]] void infeasible(const Problem& p, const std::string& limit, const Range& range) {
  std::string message = "no horn gives a" + std::string(p.quantity == Quantity::gain ? " " : "") + what(p) +
                        " of " + value_text(p.quantity, p.value) + " " + limit;
  if (range.low <= range.high)
    message += "; the nearest it reaches is " + value_text(p.quantity, range.nearest(p.value));
  throw Infeasible(message);
}

Solution fixed_aperture(const Problem& p) {
  const double a = p.aperture_radius, lambda = wavelength(p);
  if (const auto s = phase_error_for(p, a)) return {a, aperture::slant_radius_for(a, lambda, *s)};
  Range range;
  const double s_hi = std::min(max_phase_error, a / (2.0 * lambda));
  for (int i = 0; i <= 80; ++i) {
    const double s = min_phase_error + (s_hi - min_phase_error) * i / 80.0;
    range.add(figure(p, a, aperture::slant_radius_for(a, lambda, s)));
  }
  infeasible(p, "with this aperture and a phase error s up to " + fixed(s_hi, 2), range);
}

Solution fixed_slant_radius(const Problem& p) {
  const double R = p.slant_radius, lambda = wavelength(p);
  const double a_hi = std::min(R, std::sqrt(2.0 * lambda * R * max_phase_error));
  const double a_lo =
      std::max(std::min(a_hi / 100.0, lambda / 20.0), p.waveguide_radius.value_or(0.0) * 1.000001);
  if (!(a_lo < a_hi)) throw Infeasible("no horn fits: the waveguide is as wide as this slant radius allows");
  auto value = [&](double a) { return figure(p, a, R); };
  auto excess = [&](double a) {
    const auto v = value(a);
    if (!v) return std::nan("");
    return grows(p) ? *v - p.value : p.value - *v;
  };
  // The gain peaks at the optimum aperture: only the apertures up to it count.
  double top = a_hi;
  if (p.quantity == Quantity::gain) {
    auto minus_gain = [&](double a) { return -value(a).value_or(-infinity); };
    top = boost::math::tools::brent_find_minima(minus_gain, a_lo, a_hi, 40).first;
  }
  constexpr int steps = 200;
  Range range;
  double previous_a = a_lo, previous = excess(a_lo);
  range.add(value(a_lo));
  for (int i = 1; i <= steps; ++i) {
    const double a = a_lo + (top - a_lo) * i / steps;
    const double e = excess(a);
    range.add(value(a));
    if (std::isfinite(previous) && std::isfinite(e) && (previous >= 0.0) != (e >= 0.0)) {
      std::uintmax_t iterations = 100;
      const auto r = boost::math::tools::toms748_solve(
          excess, previous_a, a, previous, e, boost::math::tools::eps_tolerance<double>(36), iterations);
      return {(r.first + r.second) / 2.0, R};
    }
    previous_a = a;
    previous = e;
  }
  infeasible(p,
             p.quantity == Quantity::gain ? "with this slant radius (the optimum aperture gives the most)"
                                          : "with this slant radius and a phase error s up to 0.8",
             range);
}

// The length the shortest design minimises: the slant radius, or with a
// waveguide the axial length from it, (a - b) / tan(theta), sin(theta) = a / R.
double length_of(const Problem& p, double a, double R) {
  return p.waveguide_radius ? axial_length(a, R, *p.waveguide_radius) : R;
}

Solution shortest(const Problem& p) {
  const double lambda = wavelength(p);
  // Apertures from a tenth of a wavelength (or the waveguide's) up to one
  // certainly large enough: ka with 12 dB above the gain (the classic loss is
  // below 11 dB up to s = 0.8), or where u = 12 (beyond every table's level
  // point) falls inside the beamwidth.
  const double a_lo = std::max(lambda / 10.0, p.waveguide_radius.value_or(0.0) * 1.000001);
  // An edge taper: up to u = ka sin theta0 = 3.8, short of the E plane's
  // first null (3.83 without phase error), beyond which the taper is no
  // longer monotonic in the aperture.
  const double ka_hi = p.quantity == Quantity::gain ? std::pow(10.0, (p.value + 12.0) / 20.0)
                       : p.quantity == Quantity::edge_taper
                           ? 3.8 / std::sin(p.half_angle)
                           : 12.0 / std::sin(std::min(p.value / 2.0, 80.0) / numerics::degrees_per_radian);
  double a_hi = std::max(a_lo * 2.0, ka_hi * lambda / (2.0 * pi));
  // The engine computes nothing beyond its domain.
  if (p.model != Model::classic) a_hi = std::min(a_hi, aperture::max_ka * lambda / (2.0 * pi));
  auto design = [&](double s) -> std::optional<Solution> {
    const auto a = aperture_for(p, s, a_lo, a_hi);
    if (!a) return std::nullopt;
    const double R = aperture::slant_radius_for(*a, lambda, s);
    if (R < *a) return std::nullopt;
    return Solution{*a, R};
  };
  auto length = [&](double s) {
    const auto d = design(s);
    return d ? length_of(p, d->aperture_radius, d->slant_radius) : infinity;
  };
  constexpr int points = 16;
  std::vector<double> grid, lengths;
  for (int i = 0; i < points; ++i) {
    grid.push_back(0.02 + (max_phase_error - 0.02) * i / (points - 1));
    lengths.push_back(length(grid.back()));
  }
  const auto best = std::min_element(lengths.begin(), lengths.end()) - lengths.begin();
  if (!std::isfinite(lengths[static_cast<std::size_t>(best)])) {
    Range range;  // what horns of these phase errors reach at all
    for (double s : grid)
      for (int i = 0; i <= 24; ++i) {
        const double a = a_lo * std::pow(a_hi / a_lo, i / 24.0);
        range.add(figure(p, a, std::max(a, aperture::slant_radius_for(a, lambda, s))));
      }
    infeasible(p,
               std::string(p.waveguide_radius ? "from this waveguide with a phase error s up to 0.8"
                                              : "with a phase error s up to 0.8") +
                   (p.model != Model::classic ? " within the aperture engine's domain (ka <= 600)" : ""),
               range);
  }
  const double lo = grid[static_cast<std::size_t>(std::max<std::ptrdiff_t>(best - 1, 0))];
  const double hi = grid[static_cast<std::size_t>(std::min<std::ptrdiff_t>(best + 1, points - 1))];
  const double s = boost::math::tools::brent_find_minima(length, lo, hi, 30).first;
  if (const auto d = design(s);
      d && length_of(p, d->aperture_radius, d->slant_radius) <= lengths[static_cast<std::size_t>(best)])
    return *d;
  return *design(grid[static_cast<std::size_t>(best)]);
}

// The cone's band (cone_band); std::invalid_argument where there is no cone
// from the waveguide, the engine's exceptions for a wall it cannot take.
modal::Band make_band(const Problem& p, double aperture_radius, double slant_radius) {
  if (!p.waveguide_radius || !(aperture_radius > *p.waveguide_radius) || !(slant_radius > aperture_radius))
    throw std::invalid_argument("no cone from the waveguide");
  constexpr double m = numerics::metres_per_inch;
  modal::Band band(
      modal::cone_from_guide(*p.waveguide_radius * m, aperture_radius * m,
                             axial_length(aperture_radius, slant_radius, *p.waveguide_radius) * m),
      p.frequency);
  if (p.wall_thickness > 0.0)
    band.set_outside(bor::thick_wall(band.profile(), p.wall_thickness * m, p.flange_diameter * m));
  return band;
}

// The far field of a cone (inches) in a model that describes the horn by
// its wall; none where the engine refuses it.
std::shared_ptr<const farfield::Radiator> wall_radiator(const Problem& p, double aperture_radius,
                                                        double slant_radius) {
  const auto band = cone_band(p, aperture_radius, slant_radius);
  if (!band) return nullptr;
  const models::Result r = models::info(p.model).engine->evaluate(
      {.band = &*band}, p.frequency, {.fields = true, .figures = false, .match = false});
  return r.refused.empty() ? r.radiator : nullptr;
}

// Why the wall's model describes no figure of this cone: the wall's fault,
// the engine's work limit or its refusal; empty when it does.
std::string refusal(const Problem& p, double aperture_radius, double slant_radius) {
  try {
    const modal::Band band = make_band(p, aperture_radius, slant_radius);
    return models::info(p.model)
        .engine->evaluate({.band = &band}, p.frequency, {.fields = true, .figures = false, .match = false})
        .refused;
  } catch (const std::exception& e) {
    return e.what();
  }
}

// The mean edge taper (dB below the axis) or the aperture efficiency of a
// horn on the problem's reflector; none below the TE-11 cut-off.
std::optional<double> reflector_figure(const Problem& p, double aperture_radius, double slant_radius) {
  const double ka = 2.0 * pi * aperture_radius / wavelength(p);
  if (!(ka >= aperture::te11_root * 1.0001)) return std::nullopt;
  const horn::HornInInches inches{static_cast<float>(aperture_radius), static_cast<float>(slant_radius)};
  if (models::is_aperture(p.model) && !(ka <= aperture::max_ka)) return std::nullopt;
  auto figure_of = [&](const auto& pattern) -> std::optional<double> {
    if (p.quantity == Quantity::edge_taper) {
      const auto axis = pattern.pattern(0.0), edge = pattern.pattern(p.half_angle);
      const double taper = farfield::mean_edge_taper_db({axis.e, axis.h}, {edge.e, edge.h});
      return std::isfinite(taper) ? std::optional(taper) : std::nullopt;
    }
    return pattern.feed().aperture_efficiency(p.half_angle);
  };
  if (models::describes_walls(p.model)) {
    const auto radiator = wall_radiator(p, aperture_radius, slant_radius);
    if (!radiator) return std::nullopt;
    return figure_of(reflector::radiator_pattern(radiator));
  }
  return figure_of(reflector::horn_pattern(p.frequency, inches, models::info(p.model).aperture_phase));
}

// Cones of half-angle up to 45 degrees (R >= a sqrt 2) light a reflector: a
// wider flare is a flange more than a horn.
constexpr double widest_cone = std::numbers::sqrt2;

// The best of a scan of `points` over [lo, hi], then Brent's maximiser
// between its neighbours: the argument and the value.
template <class F>
std::pair<double, double> maximise(F&& f, double lo, double hi, int points) {
  double best_x = lo, best = -1.0;
  for (int i = 0; i < points; ++i) {
    const double x = lo + (hi - lo) * i / (points - 1);
    const double v = f(x);
    if (v > best) best = v, best_x = x;
  }
  const double step = (hi - lo) / (points - 1);
  const auto [x, v] = boost::math::tools::brent_find_minima(
      [&](double t) { return -f(t); }, std::max(lo, best_x - step), std::min(hi, best_x + step), 30);
  return -v >= best ? std::pair{x, -v} : std::pair{best_x, best};
}

// The wall's model describes no horn near the stand-in's, for this reason.
Infeasible undescribed(const Problem& p, const std::string& why) {
  return Infeasible("the " + models::name(p.model) +
                    " model describes no horn near the spherical model's design (" + why + ")");
}

Infeasible unlit() {
  return Infeasible(
      "no horn lights this reflector within the limits (an aperture above the TE-11 cut-off, s up to 0.8, "
      "a cone of 45 degrees at most)");
}

// The horn of the highest aperture efficiency on the reflector. A smooth
// cone's efficiency grows as its phase error falls (a longer horn is always
// a little better), so without a fixed slant radius the design is the
// shortest horn (the largest s) within efficiency_slack of the limit s -> 0,
// the aperture chosen anew for each s.
Solution best_on_reflector(const Problem& p) {
  const double lambda = wavelength(p);
  const double sine = std::sin(p.half_angle);
  auto efficiency = [&](double a, double R) { return figure(p, a, R).value_or(0.0); };
  const double b = p.waveguide_radius.value_or(0.0) * 1.000001;
  const double a_cut = aperture::te11_root * 1.0001 * lambda / (2.0 * pi);
  const double a_lo = std::max({0.5 / sine * lambda / (2.0 * pi), a_cut, b});
  double a_hi = std::max(a_lo * 1.01, 6.0 / sine * lambda / (2.0 * pi));
  if (p.model != Model::classic) a_hi = std::min(a_hi, aperture::max_ka * lambda / (2.0 * pi));

  if (p.constraint == Constraint::slant_radius) {
    const double R = p.slant_radius;
    a_hi = std::min({a_hi, R / widest_cone, std::sqrt(2.0 * lambda * R * max_phase_error)});
    if (!(a_hi > a_lo)) throw unlit();
    const auto [a, v] = maximise([&](double a) { return efficiency(a, R); }, a_lo, a_hi, 25);
    if (!(v > 0.0)) throw unlit();
    return {a, R};
  }
  // The best aperture (or the fixed one) at phase error s, and its efficiency.
  const bool fixed_a = p.constraint == Constraint::aperture;
  auto at_s = [&](double s) {
    if (fixed_a)
      return std::pair{p.aperture_radius, efficiency(p.aperture_radius, aperture::slant_radius_for(
                                                                            p.aperture_radius, lambda, s))};
    return maximise(
        [&](double a) {
          return efficiency(a, std::max(a * widest_cone, aperture::slant_radius_for(a, lambda, s)));
        },
        a_lo, a_hi, 25);
  };
  constexpr double s_limit = 1e-3;  // the long horn's limit, near enough
  const double s_hi =
      fixed_a ? std::min(max_phase_error, p.aperture_radius / (2.0 * lambda * widest_cone)) : max_phase_error;
  const auto limit = at_s(s_limit);
  if (!(limit.second > 0.0)) throw unlit();
  const double target = limit.second - efficiency_slack;
  auto solution = [&](double s) {
    const double a = at_s(s).first;
    return Solution{a, std::max(a * widest_cone, aperture::slant_radius_for(a, lambda, s))};
  };
  if (at_s(s_hi).second >= target) return solution(s_hi);
  std::uintmax_t iterations = 40;
  const auto r =
      boost::math::tools::toms748_solve([&](double s) { return at_s(s).second - target; }, s_limit, s_hi,
                                        boost::math::tools::eps_tolerance<double>(20), iterations);
  return solution(r.first);  // the side that meets the target
}

// The highest aperture efficiency in a model of the wall, from the
// spherical model's design `near`: the aperture that maximises it at the
// stand-in's phase error (the 45-degree cone's bound kept) or fixed slant
// radius, within a factor 1.5 of the stand-in's aperture; a fixed aperture
// keeps the stand-in's length.
Solution best_in_walls(const Problem& p, const Solution& near) {
  if (p.constraint == Constraint::aperture) return near;
  const double lambda = wavelength(p), a0 = near.aperture_radius, R0 = near.slant_radius;
  const double s0 = aperture::phase_error_of(a0, lambda, R0);
  const bool fixed_R = p.constraint == Constraint::slant_radius;
  auto slant = [&](double a) {
    return fixed_R ? R0 : std::max(a * widest_cone, aperture::slant_radius_for(a, lambda, s0));
  };
  // A flare of at least 1 % over the guide: the cone is a cone.
  const double a_lo = std::max({a0 / 1.5, p.waveguide_radius.value_or(0.0) * 1.01,
                                aperture::te11_root * 1.0001 * lambda / (2.0 * pi)});
  const double a_hi =
      fixed_R ? std::min({a0 * 1.5, R0 / widest_cone, std::sqrt(2.0 * lambda * R0 * max_phase_error)})
              : a0 * 1.5;
  if (!(a_hi > a_lo)) return near;
  const auto [a, v] = maximise([&](double a) { return figure(p, a, slant(a)).value_or(0.0); }, a_lo, a_hi, 9);
  if (!(v > 0.0)) {
    const std::string why = refusal(p, a0, slant(a0));  // one more evaluation, on the way out
    throw why.empty() ? unlit() : undescribed(p, why);
  }
  return {a, slant(a)};
}

}  // namespace

double axial_length(double aperture_radius, double slant_radius, double waveguide_radius) {
  const double a = aperture_radius, R = slant_radius;
  return (a - waveguide_radius) * std::sqrt((R - a) * (R + a)) / a;
}

std::optional<modal::Band> cone_band(const Problem& p, double aperture_radius, double slant_radius) {
  try {
    return make_band(p, aperture_radius, slant_radius);
  } catch (const std::exception&) {  // a flange within the rim, a horn beyond the work limits
    return std::nullopt;
  }
}

std::optional<double> figure(const Problem& p, double aperture_radius, double slant_radius) {
  if (!(aperture_radius > 0.0 && slant_radius >= aperture_radius) || !std::isfinite(slant_radius))
    return std::nullopt;
  if (p.quantity == Quantity::edge_taper || p.quantity == Quantity::aperture_efficiency)
    return reflector_figure(p, aperture_radius, slant_radius);
  const bool gain = p.quantity == Quantity::gain;
  const bool three = p.quantity == Quantity::beamwidth_3db;
  auto plane_value = [&](double e, double h) {
    return p.plane == Plane::e ? e : p.plane == Plane::h ? h : (e + h) / 2.0;
  };
  if (p.model == Model::classic) {
    const auto a = static_cast<float>(aperture_radius), R = static_cast<float>(slant_radius);
    try {
      if (gain) {
        float g = 0.0f;
        horn::CHNGN(p.frequency, a, R, g);
        return g;
      }
      float e3, h3, e10, h10;
      horn::HCWBW(p.frequency, a, R, e3, h3, e10, h10);
      return three ? plane_value(e3, h3) : plane_value(e10, h10);
    } catch (const numerics::DomainError&) {
      return std::nullopt;
    }
  }
  // Below the TE-11 cut-off the engine has no field: too little gain, too
  // wide a beam, as for an aperture too small for the classic model.
  const double ka = 2.0 * pi * aperture_radius / wavelength(p);
  if (!(ka >= aperture::te11_root)) return std::nullopt;
  const double level = three ? farfield::half_power : farfield::tenth_power;
  if (models::describes_walls(p.model)) {
    const auto radiator = wall_radiator(p, aperture_radius, slant_radius);
    if (!radiator) return std::nullopt;
    if (gain) return 10.0 * std::log10(farfield::directivity(*radiator));
    const auto e =
        p.plane == Plane::h ? std::optional(0.0) : farfield::beamwidth(*radiator, farfield::Plane::e, level);
    const auto h =
        p.plane == Plane::e ? std::optional(0.0) : farfield::beamwidth(*radiator, farfield::Plane::h, level);
    if (!e || !h) return std::nullopt;
    return plane_value(*e, *h);
  }
  const aperture::Aperture engine(aperture::horn_from_inches(aperture_radius, slant_radius, p.frequency),
                                  *models::info(p.model).aperture_phase);
  if (gain && p.aperture_formula) return 10.0 * std::log10(engine.ka() * engine.ka() * engine.efficiency());
  if (gain) return 10.0 * std::log10(aperture::directivity(engine));
  const auto e =
      p.plane == Plane::h ? std::optional(0.0) : aperture::beamwidth(engine, aperture::Plane::e, level);
  const auto h =
      p.plane == Plane::e ? std::optional(0.0) : aperture::beamwidth(engine, aperture::Plane::h, level);
  if (!e || !h) return std::nullopt;
  return plane_value(*e, *h);
}

namespace {

Solution solve_in_model(const Problem& p) {
  switch (p.constraint) {
    case Constraint::aperture: return fixed_aperture(p);
    case Constraint::slant_radius: return fixed_slant_radius(p);
    case Constraint::shortest: return shortest(p);
  }
  return shortest(p);
}

// The root of f near x0 > 0: a bracket grown geometrically about x0 (within
// [lo, hi]), then TOMS 748; none when no sign change is found.
template <class F>
std::optional<double> root_near(F f, double x0, double lo, double hi) {
  const double f0 = f(x0);
  if (!std::isfinite(f0)) return std::nullopt;
  if (f0 == 0.0) return x0;
  for (double ratio = 1.01; ratio < 4.0; ratio *= ratio) {
    for (const double x : {std::min(hi, x0 * ratio), std::max(lo, x0 / ratio)}) {
      const double fx = f(x);
      if (!std::isfinite(fx) || (fx > 0.0) == (f0 > 0.0)) continue;
      std::uintmax_t iterations = 100;
      const auto r = boost::math::tools::toms748_solve(
          f, std::min(x, x0), std::max(x, x0), x < x0 ? fx : f0, x < x0 ? f0 : fx,
          boost::math::tools::eps_tolerance<double>(36), iterations);
      return (r.first + r.second) / 2.0;
    }
  }
  return std::nullopt;
}

// The same for a costly f (an evaluation of a second or so), to |f| below
// `tolerance`: the secant from x0 and 1.05 x0 (wide enough that a settled
// figure's ripple of a few thousandths does not turn it), probed a quarter
// beyond its root; failing that, steps toward the root growing by 1.1, 1.21,
// 1.46, ... Then TOMS 748 between the nearest points either side, stopped
// once |f| falls below the tolerance. Some 6 to 9 evaluations.
template <class F>
std::optional<double> costly_root_near(F f, double x0, double lo, double hi, double tolerance) {
  auto g = [&](double x) {
    const double v = f(x);
    return std::abs(v) < tolerance ? 0.0 : v;  // zero ends TOMS 748 at once
  };
  std::vector<std::pair<double, double>> seen;  // x, g(x), the finite ones
  const double f0 = g(x0);
  if (!std::isfinite(f0)) return std::nullopt;
  auto probe = [&](double x) {
    const double v = g(x);
    if (std::isfinite(v)) seen.emplace_back(x, v);
    return v;
  };
  auto crossed = [&] {
    return std::ranges::any_of(
        seen, [&](const auto& p) { return p.second == 0.0 || (p.second > 0.0) != (f0 > 0.0); });
  };
  seen.emplace_back(x0, f0);
  if (f0 == 0.0) return x0;
  const double x1 = std::min(hi, x0 * 1.05), f1 = probe(x1);
  const double slope = (f1 - f0) / (x1 - x0);
  const bool sloped = std::isfinite(slope) && slope != 0.0;
  if (!crossed() && sloped) probe(std::clamp(x0 - 1.25 * f0 / slope, lo, hi));
  // Toward the root: down where f grows with x and lies above it.
  const bool down = sloped ? (f0 > 0.0) == (slope > 0.0) : true;
  for (double ratio = 1.1; !crossed() && ratio < 4.0; ratio *= ratio) {
    const double x = down ? std::max(lo, x0 / ratio) : std::min(hi, x0 * ratio);
    probe(x);
    if (x == lo || x == hi) break;
  }
  if (!crossed()) return std::nullopt;
  // The crossing nearest x0, and the point of x0's sign nearest it.
  std::pair<double, double> other{infinity, 0.0}, same{x0, f0};
  for (const auto& p : seen)
    if ((p.second == 0.0 || (p.second > 0.0) != (f0 > 0.0)) &&
        std::abs(p.first - x0) < std::abs(other.first - x0))
      other = p;
  if (other.second == 0.0) return other.first;
  for (const auto& p : seen)
    if ((p.second > 0.0) == (f0 > 0.0) &&
        std::abs(p.first - other.first) < std::abs(same.first - other.first))
      same = p;
  const auto [a, fa] = std::min(same, other);
  const auto [b, fb] = std::max(same, other);
  std::uintmax_t iterations = 100;
  const auto r = boost::math::tools::toms748_solve(g, a, b, fa, fb,
                                                   boost::math::tools::eps_tolerance<double>(30), iterations);
  return (r.first + r.second) / 2.0;
}

}  // namespace

Solution solve(const Problem& p) {
  const bool walls = models::describes_walls(p.model);
  if (p.quantity == Quantity::aperture_efficiency && !walls) return best_on_reflector(p);
  if (p.model == Model::classic || (!walls && p.quantity != Quantity::gain)) return solve_in_model(p);
  Problem stand_in = p;
  if (walls) stand_in.model = Model::spherical;
  stand_in.aperture_formula = p.quantity == Quantity::gain;
  if (p.quantity == Quantity::aperture_efficiency) return best_in_walls(p, best_on_reflector(stand_in));
  const Solution near = solve_in_model(stand_in);
  // The last step in the model itself: the free length moved until the
  // requirement holds exactly.
  const double lambda = wavelength(p);
  Range seen;
  auto excess = [&](double a, double R) {
    const auto v = figure(p, a, R);
    seen.add(v);
    return v ? *v - p.value : std::nan("");
  };
  const double a0 = near.aperture_radius, R0 = near.slant_radius,
               s0 = aperture::phase_error_of(a0, lambda, R0);
  // The wall's models to the printed digits' tolerance (unmet): a gain or
  // taper to 1e-3 dB, a beamwidth to 0.01 degree.
  const double tolerance = p.quantity == Quantity::gain || p.quantity == Quantity::edge_taper ? 1e-3 : 1e-2;
  auto find = [&](auto&& f, double x0, double lo, double hi) {
    return walls ? costly_root_near(f, x0, lo, hi, tolerance) : root_near(f, x0, lo, hi);
  };
  // In the wall's models a cone of 45 degrees at most (as on a reflector):
  // a flatter flare is a flange, whose figures settle poorly.
  const double widest = walls ? widest_cone : 1.0;
  auto slant_at = [&](double a, double s) {
    const double R = aperture::slant_radius_for(a, lambda, s);
    return walls ? std::max(a * widest, R) : R;
  };
  std::optional<Solution> exact;
  if (p.constraint == Constraint::aperture) {
    const double s_hi = std::min(max_phase_error, a0 / (2.0 * lambda * widest));
    if (const auto s = find([&](double s) { return excess(a0, aperture::slant_radius_for(a0, lambda, s)); },
                            std::min(s0, s_hi), min_phase_error, s_hi))
      exact = Solution{a0, aperture::slant_radius_for(a0, lambda, *s)};
  } else if (p.constraint == Constraint::slant_radius) {
    if (const auto a =
            find([&](double a) { return excess(a, R0); }, std::min(a0, R0 / widest), a0 / 4.0, R0 / widest))
      exact = Solution{*a, R0};
  } else {
    if (const auto a = find([&](double a) { return excess(a, slant_at(a, s0)); }, a0, a0 / 4.0, a0 * 4.0))
      exact = Solution{*a, slant_at(*a, s0)};
  }
  if (exact && exact->slant_radius >= exact->aperture_radius) return *exact;
  // The stand-in led astray: the whole search in the model itself, where an
  // evaluation is cheap.
  if (walls && seen.low > seen.high) throw undescribed(p, refusal(p, a0, std::max(a0 * widest, R0)));
  if (walls)
    infeasible(p,
               "in the " + models::name(p.model) +
                   " model near the spherical model's design (a cone of 45 degrees at most, its free length "
                   "moved alone)",
               seen);
  return solve_in_model(p);
}

}  // namespace design
