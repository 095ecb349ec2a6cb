#include "modal/horn.hpp"

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>
#if defined(__GLIBC__)
#endif

#include "numerics/errors.hpp"
#include "numerics/fields.hpp"

namespace modal {

void check_profile(const std::vector<ProfilePoint>& profile) {
  if (profile.size() < 2) throw ProfileError(0, "a profile needs at least two points");
  for (std::size_t i = 0; i < profile.size(); ++i) {
    if (!(profile[i].radius > 0.0) || !std::isfinite(profile[i].radius))
      throw ProfileError(i + 1, "the radius must be positive");
    if (!std::isfinite(profile[i].z)) throw ProfileError(i + 1, "z must be a number");
    if (i > 0 && profile[i].z < profile[i - 1].z) throw ProfileError(i + 1, "z goes backward");
  }
  if (!(profile.back().z > profile.front().z)) throw ProfileError(0, "the profile has no length");
}

std::vector<ProfilePoint> read_profile(std::string_view text, double metres_per_unit,
                                       std::vector<std::size_t>* point_lines) {
  std::vector<ProfilePoint> points;
  std::vector<std::size_t> lines;
  const auto all = numerics::lines_of(text);
  for (std::size_t k = 0; k < all.size(); ++k) {
    std::string_view line = all[k];
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const numerics::Fields f = numerics::number_fields(line, ",");
    if (!f.bad.empty()) throw numerics::InputError("", k + 1, "'" + std::string(f.bad) + "' is not a number");
    if (f.values.empty()) continue;
    if (f.values.size() != 2) throw numerics::InputError("", k + 1, "a point is z and radius, two numbers");
    points.push_back({f.values[0] * metres_per_unit, f.values[1] * metres_per_unit});
    lines.push_back(k + 1);
  }
  try {
    check_profile(points);
  } catch (const ProfileError& e) {
    if (e.point == 0) throw;
    throw numerics::InputError("", lines[e.point - 1], e.fault);
  }
  if (point_lines) *point_lines = std::move(lines);
  return points;
}

std::vector<ProfilePoint> cone_profile(double waveguide_radius, double aperture_radius, double axial_length,
                                       double feed_length) {
  return {{0.0, waveguide_radius},
          {feed_length, waveguide_radius},
          {feed_length + axial_length, aperture_radius}};
}

std::vector<Section> staircase(const std::vector<ProfilePoint>& profile, double longest, double highest) {
  check_profile(profile);
  if (!(longest > 0.0) || !(highest > 0.0)) throw std::invalid_argument("step sizes must be positive");
  // The count first, so that a wall too long for the steps is refused before
  // anything is built.
  double total = 0.0;
  for (std::size_t i = 1; i < profile.size(); ++i) {
    const double length = profile[i].z - profile[i - 1].z, rise = profile[i].radius - profile[i - 1].radius;
    if (length > 0.0)
      total +=
          rise == 0.0 ? 1.0 : std::max(std::ceil(length / longest), std::ceil(std::fabs(rise) / highest));
  }
  if (!(total <= double(max_sections)))
    throw WorkLimit(
        "sections", total, double(max_sections),
        "the wall needs more than " + std::to_string(max_sections) + " sections at these step sizes");
  std::vector<Section> sections;
  sections.reserve(static_cast<std::size_t>(total));
  for (std::size_t i = 1; i < profile.size(); ++i) {
    const ProfilePoint& p = profile[i - 1];
    const ProfilePoint& q = profile[i];
    const double length = q.z - p.z, rise = q.radius - p.radius;
    if (length == 0.0) continue;  // a vertical step: the junction between neighbours
    const double count =
        rise == 0.0 ? 1.0 : std::max(std::ceil(length / longest), std::ceil(std::fabs(rise) / highest));
    const auto n = static_cast<int>(count);
    for (int k = 0; k < n; ++k) sections.push_back({p.radius + rise * (k + 0.5) / n, length / n});
  }
  return sections;
}

std::vector<Complex> aperture_reflection(const Guide& aperture, double k0, ApertureLoad load) {
  std::vector<Complex> gamma(aperture.modes.size());
  if (load == ApertureLoad::matched) return gamma;
  const auto root = root_impedance(aperture, k0);
  const auto propagates = propagating(aperture, k0);
  for (std::size_t m = 0; m < gamma.size(); ++m)
    if (propagates[m]) {
      const Complex z = root[m] * root[m];
      gamma[m] = (1.0 - z) / (1.0 + z);
    }
  return gamma;
}

Staircase::Staircase(std::vector<Section> sections, double largest_cutoff)
    : sections_(std::move(sections)), largest_cutoff_(largest_cutoff) {
  if (sections_.empty()) throw std::invalid_argument("a horn needs at least one section");
  std::map<double, std::size_t> index;
  for (const Section& s : sections_) {
    auto it = index.find(s.radius);
    if (it == index.end()) {
      it = index.emplace(s.radius, guides_.size()).first;
      guides_.push_back(modal::guide(s.radius, largest_cutoff));
    }
    guide_.push_back(it->second);
  }
  // The work first: a junction from N1 to N2 modes keeps an N2 x N1 matrix
  // and an N1 x N1 reflection, and solves N2 x N2 against N1 right-hand
  // sides after its N2 x N2 product (the cascade's count, the larger).
  const std::size_t n = sections_.size();
  double kept = 0.0, operations = 0.0;
  for (std::size_t i = 1; i < n; ++i) {
    if (guide_[i - 1] == guide_[i]) continue;
    const double n1 = double(guide(i - 1).modes.size()), n2 = double(guide(i).modes.size());
    kept += n1 * n2 + n1 * n1;
    operations += n2 * n2 * n2 + 2.0 * n2 * n2 * n1 + n1 * n1 * n2;
  }
  if (!(kept <= max_kept) || !(operations <= max_operations)) {
    char text[200];
    std::snprintf(
        text, sizeof text,
        "the horn needs %.3g matrix entries and %.3g operations at this frequency (at most %.3g and "
        "%.3g): too many modes or sections",
        kept, operations, max_kept, max_operations);
    throw WorkLimit(kept > max_kept ? "matrix entries" : "operations", kept > max_kept ? kept : operations,
                    kept > max_kept ? max_kept : max_operations, text);
  }
  couplings_.resize(n);
  for (std::size_t i = 1; i < n; ++i) {
    if (guide_[i - 1] == guide_[i]) continue;
    const bool up = sections_[i - 1].radius < sections_[i].radius;
    const Guide& small = guide(up ? i - 1 : i);
    const Guide& large = guide(up ? i : i - 1);
    couplings_[i] = modal::couplings(small.modes, small.radius, large.modes, large.radius);
  }
}

HornWave follow_wave(const std::vector<Section>& sections, double k0, double largest_cutoff,
                     ApertureLoad load) {
  return follow_wave(Staircase(sections, largest_cutoff), k0, load);
}

HornWave follow_wave(const Staircase& staircase, double k0, ApertureLoad load) {
  const auto& sections = staircase.sections();
  const std::size_t n = sections.size();
  // Each guide with its modes' beta and sqrt(Z) at k0, found once for each
  // radius.
  std::vector<GuideAt> guides;
  guides.reserve(staircase.guides().size());
  for (const Guide& guide : staircase.guides()) guides.push_back(guide_at(guide, k0));
  std::vector<const GuideAt*> at(n);
  for (std::size_t i = 0; i < n; ++i) at[i] = &guides[staircase.guide_index(i)];
  std::map<std::pair<double, double>, Gsm> junctions;
  auto junction_before = [&](std::size_t i) -> const Gsm& {
    const std::pair radii{sections[i - 1].radius, sections[i].radius};
    auto it = junctions.find(radii);
    if (it == junctions.end())
      it = junctions.emplace(radii, junction(at[i - 1]->guide, at[i]->guide, k0)).first;
    return it->second;
  };
  auto phases = [&](std::size_t i) {
    const auto& beta = at[i]->beta;
    std::vector<Complex> p;
    p.reserve(beta.size());
    for (const Complex& b : beta) p.push_back(std::exp(Complex(0.0, -1.0) * b * sections[i].length));
    return p;
  };

  // Back from the aperture's load.
  const auto gamma = aperture_reflection(at.back()->guide, k0, load);
  Matrix g(gamma.size(), gamma.size());
  for (std::size_t m = 0; m < gamma.size(); ++m) g(m, m) = gamma[m];
  // What passes the forward wave on at the junction before section i:
  // directly (StepBack), or by the cascade's matrix.
  std::vector<std::optional<StepBack>> steps(n);
  std::vector<Matrix> passed(n);
  // Each section's phases, for both passes.
  std::vector<std::vector<Complex>> phase(n);
  for (std::size_t i = n; i-- > 0;) {
    const auto& p = phase[i] = phases(i);
    for (std::size_t r = 0; r < g.rows(); ++r) {
      Complex* __restrict row = &g(r, 0);
      const Complex* __restrict q = p.data();
      const Complex pr = q[r];
      for (std::size_t c = 0; c < g.cols(); ++c) row[c] = times(row[c], times(pr, q[c]));
    }
    if (i == 0 || sections[i - 1].radius == sections[i].radius) continue;
    // Section i - 1 a slot: wider than the guides on either side.
    if (const std::size_t slot = i - 1; slot > 0 && sections[slot].radius > sections[slot - 1].radius &&
                                        sections[slot].radius > sections[i].radius) {
      steps[slot] = slot_back(*at[slot - 1], *at[slot], *at[i], sections[slot].length, g,
                              staircase.couplings(slot), staircase.couplings(i));
      if (steps[slot]) {
        g = steps[slot]->reflection;
        i = slot;  // on from the guide before the slot
        continue;
      }
    }
    steps[i] = step_back(*at[i - 1], *at[i], g, staircase.couplings(i));
    if (steps[i]) {
      g = steps[i]->reflection;
      continue;
    }
    const Gsm& s = junction_before(i);
    const Matrix loop = Matrix::identity(g.rows()) - s.s22 * g;
    passed[i] = solve(loop, s.s21);
    g = s.s11 + s.s12 * (g * passed[i]);
  }
  HornWave wave;
  wave.input = at.front()->guide;
  wave.reflected.reserve(g.rows());
  for (std::size_t r = 0; r < g.rows(); ++r) wave.reflected.push_back(g(r, 0));
  wave.reflection = g(0, 0);

  // Forward from a unit TE-11 wave.
  std::vector<Complex> a(wave.input.modes.size());
  a[0] = 1.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (steps[i]) {
      a = steps[i]->pass(a);
      if (steps[i]->after.rows() > 0) ++i;  // across a slot, into the guide beyond it
    } else if (passed[i].rows() > 0) {
      a = passed[i] * a;
    }
    for (std::size_t r = 0; r < a.size(); ++r) a[r] = times(a[r], phase[i][r]);
  }
  wave.aperture = at.back()->guide;
  wave.forward = std::move(a);
  wave.aperture_reflection = gamma;
  return wave;
}

namespace {

// The largest move between two waves in what the figures depend on: the
// size of the reflection and of the TE-11 wave at the aperture, and every
// other propagating aperture wave relative to TE-11 (the waves the two
// share: a longer mode list extends the shorter one). A common phase of the
// aperture waves (the horn's electrical length) moves no figure; the
// evanescent waves at the aperture are the last step's near field, which
// carries no power and changes with every mode added while the radiated
// field does not.
double move(const HornWave& a, const HornWave& b, double k0) {
  double m = std::abs(std::abs(a.reflection) - std::abs(b.reflection));
  m = std::max(m, std::abs(std::abs(a.forward[0]) - std::abs(b.forward[0])));
  const std::size_t n = std::min(a.forward.size(), b.forward.size());
  const auto propagates = propagating(a.aperture, k0);
  for (std::size_t i = 1; i < n; ++i)
    if (propagates[i]) m = std::max(m, std::abs(a.forward[i] / a.forward[0] - b.forward[i] / b.forward[0]));
  return m;
}

}  // namespace

ConvergedWave converged_wave(const std::vector<ProfilePoint>& profile, double k0, double target,
                             ApertureLoad load) {
  constexpr int most_refinements = 3;
  const double wavelength = 2.0 * std::numbers::pi / k0;
  ConvergedWave c{{}, wavelength / 30.0, wavelength / 120.0, 2.5 * k0, 0.0, false};
  auto wave = [&] {
    return follow_wave(staircase(profile, c.step_length, c.step_rise), k0, c.largest_cutoff, load);
  };
  c.wave = wave();
  // A refinement beyond the work bound ends the refining (the steps or modes
  // before it are kept, not converged).
  auto refined = [&]() -> std::optional<HornWave> {
    try {
      return wave();
    } catch (const WorkLimit&) {
      return std::nullopt;
    }
  };
  bool steps_settled = false, bounded = false;
  for (int i = 0; i < most_refinements && !steps_settled; ++i) {
    c.step_length /= 2.0;
    c.step_rise /= 2.0;
    auto finer = refined();
    if (!finer) {
      c.step_length *= 2.0;
      c.step_rise *= 2.0;
      bounded = true;
      break;
    }
    c.change = move(c.wave, *finer, k0);
    c.wave = std::move(*finer);
    steps_settled = c.change <= target;
  }
  bool modes_settled = false;
  for (int i = 0; i < most_refinements && !modes_settled && !bounded; ++i) {
    c.largest_cutoff *= 1.5;
    auto more = refined();
    if (!more) {
      c.largest_cutoff /= 1.5;
      break;
    }
    const double change = move(c.wave, *more, k0);
    c.wave = std::move(*more);
    modes_settled = change <= target;
    c.change = std::max(change, steps_settled ? 0.0 : c.change);
  }
  c.converged = steps_settled && modes_settled;
  return c;
}

}  // namespace modal
