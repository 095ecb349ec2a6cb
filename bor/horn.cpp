#include "bor/horn.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "modal/junction.hpp"
#include "numerics/errors.hpp"

namespace bor {
namespace {

constexpr double pi = std::numbers::pi;

using modal::ProfileError;
using modal::ProfilePoint;

// Whether the closed segments ab and cd meet (collinear overlaps included).
bool segments_meet(ProfilePoint a, ProfilePoint b, ProfilePoint c, ProfilePoint d) {
  const auto cross = [](ProfilePoint o, ProfilePoint p, ProfilePoint q) {
    return (p.z - o.z) * (q.radius - o.radius) - (p.radius - o.radius) * (q.z - o.z);
  };
  const double scale = std::max({std::fabs(a.z), std::fabs(b.z), std::fabs(c.z), std::fabs(d.z), a.radius,
                                 b.radius, c.radius, d.radius});
  const double tol = 1e-12 * scale * scale;
  const double d1 = cross(c, d, a), d2 = cross(c, d, b), d3 = cross(a, b, c), d4 = cross(a, b, d);
  const auto within = [](ProfilePoint p, ProfilePoint q, ProfilePoint r) {
    return std::min(p.z, q.z) - 1e-15 <= r.z && r.z <= std::max(p.z, q.z) + 1e-15 &&
           std::min(p.radius, q.radius) - 1e-15 <= r.radius &&
           r.radius <= std::max(p.radius, q.radius) + 1e-15;
  };
  if (((d1 > tol && d2 < -tol) || (d1 < -tol && d2 > tol)) &&
      ((d3 > tol && d4 < -tol) || (d3 < -tol && d4 > tol)))
    return true;
  return (std::fabs(d1) <= tol && within(c, d, a)) || (std::fabs(d2) <= tol && within(c, d, b)) ||
         (std::fabs(d3) <= tol && within(a, b, c)) || (std::fabs(d4) <= tol && within(a, b, d));
}

// The inner wall's radius at z (the largest where a vertical step stands
// there); the first radius before the wall, the last beyond it.
double wall_radius(const std::vector<ProfilePoint>& wall, double z) {
  double r = z <= wall.front().z ? wall.front().radius : wall.back().radius;
  for (std::size_t i = 1; i < wall.size(); ++i) {
    const ProfilePoint a = wall[i - 1], b = wall[i];
    if (z < a.z || z > b.z) continue;
    const double here =
        b.z > a.z ? a.radius + (z - a.z) / (b.z - a.z) * (b.radius - a.radius) : std::max(a.radius, b.radius);
    r = std::max(r, here);
  }
  return r;
}

// Douglas-Peucker: the points of `line` that keep every dropped one within
// `tolerance` of the chords.
void simplify(const std::vector<ProfilePoint>& line, std::size_t first, std::size_t last, double tolerance,
              std::vector<bool>& keep) {
  if (last <= first + 1) return;
  const ProfilePoint a = line[first], b = line[last];
  const double length = std::hypot(b.z - a.z, b.radius - a.radius);
  double worst = -1.0;
  std::size_t at = first;
  for (std::size_t i = first + 1; i < last; ++i) {
    const ProfilePoint p = line[i];
    const double d =
        length > 0.0
            ? std::fabs((b.z - a.z) * (p.radius - a.radius) - (b.radius - a.radius) * (p.z - a.z)) / length
            : std::hypot(p.z - a.z, p.radius - a.radius);
    if (d > worst) worst = d, at = i;
  }
  if (worst <= tolerance) return;
  keep[at] = true;
  simplify(line, first, at, tolerance, keep);
  simplify(line, at, last, tolerance, keep);
}

}  // namespace

void require_outside_lengths(const std::optional<float>& wall_thickness,
                             const std::optional<float>& flange_diameter) {
  using numerics::require;
  require(!flange_diameter || wall_thickness,
          "{flange_diameter}: goes with {wall_thickness} (the flange is a plate of the wall's thickness)");
  if (wall_thickness)
    require(std::isfinite(*wall_thickness) && *wall_thickness > 0.0f,
            "{wall_thickness}: must be a positive length");
  if (flange_diameter)
    require(std::isfinite(*flange_diameter) && *flange_diameter > 0.0f,
            "{flange_diameter}: must be a positive length");
}

Contour thick_wall(const std::vector<ProfilePoint>& wall, double thickness, double flange_diameter) {
  modal::check_profile(wall);
  if (!(thickness > 0.0) || !std::isfinite(thickness))
    throw ProfileError(0, "the wall's thickness must be positive");
  const double t = thickness, z0 = wall.front().z, za = wall.back().z;
  // The upper edge of every point within t of the wall, the guide's
  // cylinder continuing behind the first point and the last segment's
  // offset line carried to the aperture plane (a flat rim face), on a grid of
  // t / 16, then reduced to chords within t / 50 of it.
  const auto offset_at = [&](double z) {
    double best = wall.front().radius + t;  // the guide's outer surface behind
    if (z > z0 + t) best = 0.0;
    for (std::size_t i = 1; i < wall.size(); ++i) {
      const ProfilePoint a = wall[i - 1], b = wall[i];
      const double dz = b.z - a.z, dr = b.radius - a.radius, length = std::hypot(dz, dr);
      // The segment's offset line (outward normal (-dr, dz) / length).
      const double nz = -dr / length, nr = dz / length;
      const bool last = i + 1 == wall.size();
      if (dz > 0.0) {
        const double u = (z - (a.z + t * nz)) / dz;
        if ((u >= 0.0 && u <= 1.0) || (last && u > 1.0)) best = std::max(best, a.radius + t * nr + u * dr);
      }
      // The discs about its ends.
      for (const ProfilePoint p : {a, b})
        if (std::fabs(z - p.z) <= t)
          best = std::max(best, p.radius + std::sqrt(t * t - (z - p.z) * (z - p.z)));
    }
    return best;
  };
  const double h = t / 16.0;
  const std::size_t n = static_cast<std::size_t>(std::ceil((za - z0) / h));
  if (n > 1000000)
    throw ProfileError(0, "the wall is too thin for its length: at most 62500 thicknesses long");
  std::vector<ProfilePoint> line;
  for (std::size_t i = 0; i <= n; ++i) {
    const double z = za - (za - z0) * double(i) / double(n);
    line.push_back({z, offset_at(z)});
  }
  std::vector<bool> keep(line.size(), false);
  keep.front() = keep.back() = true;
  simplify(line, 0, line.size() - 1, t / 50.0, keep);
  Contour outer;
  for (std::size_t i = 0; i < line.size(); ++i)
    if (keep[i]) outer.push_back(line[i]);
  if (!(flange_diameter > 0.0)) return outer;
  const double rim = outer.front().radius;
  if (!(flange_diameter / 2.0 > rim))
    throw ProfileError(0, "the flange is no wider than the rim's outer edge");
  // The plate: out in the aperture plane, back by t, in to the wall.
  Contour flanged = {{za, rim}, {za, flange_diameter / 2.0}, {za - t, flange_diameter / 2.0}};
  const double back_radius = offset_at(za - t);
  flanged.push_back({za - t, back_radius});
  for (const ProfilePoint p : outer)
    if (p.z < za - t) flanged.push_back(p);
  return flanged;
}

void check_outside(const std::vector<ProfilePoint>& wall, const Contour& outside) {
  if (outside.empty()) return;
  const ProfilePoint rim = wall.back();
  if (std::fabs(outside.front().z - rim.z) > 1e-9 * std::max(1.0, std::fabs(rim.z)))
    throw ProfileError(1, "the outside begins in the aperture plane (z = the aperture's)");
  if (!(outside.front().radius > rim.radius)) throw ProfileError(1, "the outside begins beyond the rim");
  for (std::size_t i = 0; i < outside.size(); ++i) {
    if (!(outside[i].radius > 0.0) || !std::isfinite(outside[i].radius) || !std::isfinite(outside[i].z))
      throw ProfileError(i + 1, "a radius must be positive");
    if (i > 0 && outside[i].z == outside[i - 1].z && outside[i].radius == outside[i - 1].radius)
      throw ProfileError(i + 1, "the same point twice (a groove or run of no width)");
  }
  // The guide's outer surface behind the last point.
  const ProfilePoint last = outside.back();
  const ProfilePoint behind{std::min(last.z, wall.front().z) - 1.0, last.radius};
  if (!(last.radius > wall_radius(wall, std::min(last.z, wall.front().z))))
    throw ProfileError(outside.size(), "the outside ends inside the feeding guide's wall");
  std::vector<ProfilePoint> path = outside;
  path.push_back(behind);
  // A run that folds back on the one before: a groove of no width.
  for (std::size_t i = 0; i + 2 < path.size(); ++i) {
    const double ax = path[i + 1].z - path[i].z, ay = path[i + 1].radius - path[i].radius;
    const double bx = path[i + 2].z - path[i + 1].z, by = path[i + 2].radius - path[i + 1].radius;
    if (std::fabs(ax * by - ay * bx) <= 1e-12 * std::hypot(ax, ay) * std::hypot(bx, by) &&
        ax * bx + ay * by < 0.0)
      throw ProfileError(std::min(i + 2, outside.size()),
                         "the outside folds back on itself (a groove of no width)");
  }
  for (std::size_t i = 0; i + 1 < path.size(); ++i) {
    for (std::size_t w = 0; w + 1 < wall.size(); ++w)
      if (segments_meet(path[i], path[i + 1], wall[w], wall[w + 1]))
        throw ProfileError(std::min(i + 2, outside.size()), "the outside crosses the inner wall");
    for (std::size_t k = i + 2; k + 1 < path.size(); ++k)
      if (segments_meet(path[i], path[i + 1], path[k], path[k + 1]))
        throw ProfileError(std::min(k + 1, outside.size()), "the outside crosses itself");
  }
}

std::vector<Point> body_outline(const std::vector<ProfilePoint>& wall, const Contour& outside,
                                double disc_radius, double wavelength, double behind) {
  const double za = wall.back().z, z0 = wall.front().z;
  std::vector<Point> out = {{0.0, 0.0}, {disc_radius, 0.0}};
  const auto push = [&](double rho, double z) {
    const Point p{rho, z - za};
    if (std::hypot(p.rho - out.back().rho, p.z - out.back().z) > 1e-12 * wavelength) out.push_back(p);
  };
  double guide_radius, guide_end;
  if (outside.empty()) {
    for (std::size_t i = wall.size(); i-- > 0;) push(wall[i].radius, wall[i].z);
    guide_radius = wall.front().radius;
    guide_end = z0;
  } else {
    push(wall.back().radius, za);
    for (const ProfilePoint p : outside) push(p.radius, p.z);
    guide_radius = outside.back().radius;
    guide_end = std::min(outside.back().z, z0);
  }
  push(guide_radius, guide_end - behind * wavelength);
  push(0.0, guide_end - behind * wavelength);
  return out;
}

std::vector<Point> graded_near_rim(const std::vector<Point>& outline, double segment) {
  // The corners at the aperture's edge (the disc's rim, where the aperture
  // field's magnetic current ends, and the rim face's outer edge): the
  // fields there are singular, so the segments within `segment` of them
  // halve three times toward them.
  std::vector<Point> out;
  const auto towards = [](Point from, Point to, double d) {
    const double l = std::hypot(to.rho - from.rho, to.z - from.z), u = d / l;
    return Point{from.rho + u * (to.rho - from.rho), from.z + u * (to.z - from.z)};
  };
  const std::size_t last_graded = std::min<std::size_t>(2, outline.size() - 2);
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const bool graded = i >= 1 && i <= last_graded;
    if (graded && i > 0) {
      const Point prev = outline[i - 1], here = outline[i];
      const double l = std::hypot(here.rho - prev.rho, here.z - prev.z);
      for (const double d : {segment, segment / 2.0, segment / 4.0, segment / 8.0})
        if (d < 0.75 * l && !(i == 2 && l < 2.0 * segment)) out.push_back(towards(here, prev, d));
    }
    if (out.empty() || std::hypot(outline[i].rho - out.back().rho, outline[i].z - out.back().z) > 0.0)
      out.push_back(outline[i]);
    if (graded && i + 1 < outline.size()) {
      const Point here = outline[i], next = outline[i + 1];
      const double l = std::hypot(next.rho - here.rho, next.z - here.z);
      for (const double d : {segment / 8.0, segment / 4.0, segment / 2.0, segment})
        if (d < 0.75 * l && !(i == 1 && last_graded == 2 && l < 2.0 * segment))
          out.push_back(towards(here, next, d));
    }
  }
  return out;
}

CoupledRadiator::CoupledRadiator(const Solver& solver, const Currents& currents, double aperture_radius)
    : k_(solver.wavenumber()) {
  samples_ = solver.radiating_samples(currents);
  double reach = aperture_radius, bound = 0.0;
  for (const RadiatingSample& s : samples_) {
    reach = std::max(reach, std::hypot(s.rho, s.z));
    // |d/dtheta| of a sample's terms: the phase's k |z|, the Bessel
    // functions' k rho (|J1|, |J1'|, |J1'' |, |J1 / x|, |J2 / x| <= 1), the
    // trigonometric factors' 1, each of the terms' sizes.
    const double rate = k_ * std::fabs(s.z) + k_ * s.rho + 1.0;
    bound +=
        2.0 * pi * rate *
        ((eta0 * std::abs(s.t) + std::abs(s.m_t)) * 2.0 + (eta0 * std::abs(s.phi) + std::abs(s.m_phi)) * 2.0);
  }
  ka_ = k_ * reach;
  slope_bound_ = 2.0 * k_ / (4.0 * pi) * bound;
}

double CoupledRadiator::wavelength() const { return 2.0 * pi / k_; }

farfield::PlaneFields CoupledRadiator::far_fields(double theta) const {
  const FarField f = radiate(samples_, k_, theta);
  return {f.e, f.h};
}

CoupledWave coupled_wave(const modal::Band& band, const Contour& outside, double frequency_ghz,
                         double segments, int refinement, double behind) {
  const double k0 = modal::wavenumber(frequency_ghz), wavelength = 2.0 * pi / k0;
  const modal::ConvergedWave settled = band.converged(frequency_ghz);
  const modal::Staircase stair(modal::staircase(band.profile(), settled.step_length, settled.step_rise),
                               settled.largest_cutoff);
  const double disc = stair.sections().back().radius;
  const modal::Guide aperture = modal::guide(disc, settled.largest_cutoff);
  const std::vector<Point> outline = body_outline(band.profile(), outside, disc, wavelength, behind);
  // The disc carries the fields of modes up to K_max: its segments resolve
  // the shortest of them, disc_segments_per_cutoff_wavelength to 2 pi / K_max.
  std::vector<Point> graded = graded_near_rim(outline, wavelength / segments);
  const double disc_segment = 2.0 * pi / settled.largest_cutoff / disc_segments_per_cutoff_wavelength;
  std::vector<Point> split = {graded.front()};
  for (std::size_t i = 1; i < graded.size(); ++i) {
    const Point a = graded[i - 1], b = graded[i];
    if (a.z == 0.0 && b.z == 0.0 && b.rho <= disc) {
      const int n = static_cast<int>(std::ceil((b.rho - a.rho) / disc_segment));
      for (int s = 1; s < n; ++s) split.push_back({a.rho + (b.rho - a.rho) * s / n, 0.0});
    }
    split.push_back(b);
  }
  const Curve curve(split, wavelength / segments);
  if (curve.unknowns() > max_unknowns) {
    char text[200];
    std::snprintf(
        text, sizeof text,
        "the horn's outside at %.6g GHz needs %zu moment-method unknowns; the engine solves at most %zu",
        frequency_ghz, curve.unknowns(), max_unknowns);
    throw modal::WorkLimit("moment-method unknowns", double(curve.unknowns()), double(max_unknowns), text);
  }
  const Solver solver(curve, k0, Equation::combined, refinement);
  // Every aperture mode is coupled: leaving those above 2.5 k0 matched moved
  // the return loss by 0.2 dB.
  const modal::Matrix gamma =
      modal::aperture_reflection(aperture, k0, solver.aperture_admittance(aperture.modes, disc, 0.0));
  CoupledWave c{modal::follow_wave(stair, k0, gamma), nullptr, curve.unknowns()};
  c.wave.mouth_radius = band.aperture_radius();
  c.wave.settled_change = settled.change;
  c.wave.settled = settled.converged;
  // The aperture's modal voltages V = S (c + Gamma c), and its field.
  const std::vector<Complex>& forward = c.wave.forward;
  const auto root = modal::root_impedance(aperture, k0);
  std::vector<Complex> voltage(forward.size());
  for (std::size_t m = 0; m < forward.size(); ++m) {
    Complex back = 0.0;
    for (std::size_t n = 0; n < forward.size(); ++n) back += gamma(m, n) * forward[n];
    voltage[m] = root[m] * (forward[m] + back);
  }
  const std::vector<modal::Mode> modes = aperture.modes;
  const ApertureField field{disc, 0.0, [modes, voltage, disc](double rho) {
                              Complex e_rho = 0.0, e_phi = 0.0;
                              for (std::size_t m = 0; m < modes.size(); ++m) {
                                const modal::Radial r = modal::field(modes[m], disc, std::min(rho, disc));
                                e_rho += voltage[m] * r.f;
                                e_phi -= voltage[m] * r.g;
                              }
                              return std::pair<Complex, Complex>(e_rho, e_phi);
                            }};
  c.radiator =
      std::make_shared<const CoupledRadiator>(solver, solver.aperture(field), band.aperture_radius());
  return c;
}

Figures figures(const CoupledWave& coupled, double frequency_ghz) {
  const double k0 = modal::wavenumber(frequency_ghz);
  Figures f;
  static_cast<modal::Match&>(f) = modal::match(coupled.wave, k0);
  const farfield::Radiator& r = *coupled.radiator;
  static_cast<farfield::BeamFigures&>(f) = farfield::beam_figures(r);
  f.directivity_db = 10.0 * std::log10(farfield::directivity(r));
  const modal::CrossPolarPeak peak = modal::peak_cross_polar(r);
  f.peak_cross_polar_db = peak.db;
  f.peak_cross_polar_angle = peak.angle;
  const farfield::PlaneFields axis = r.far_fields(0.0), back = r.far_fields(pi);
  f.front_to_back_db = 10.0 * std::log10(std::norm(axis.e) / std::max(std::norm(back.e), 1e-300));
  return f;
}

}  // namespace bor
