#include "modal/horn.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
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
  // The last point is the aperture: a wall may not end in a step, which
  // would put the mouth in the plane of the step with nothing of it radiating.
  if (profile.back().z == profile[profile.size() - 2].z)
    throw ProfileError(profile.size(),
                       "the last point is the aperture: the wall may not end in a vertical step (an iris at "
                       "the mouth needs a length of guide after it)");
}

std::vector<ProfilePoint> merged_profile(const std::vector<ProfilePoint>& profile) {
  double largest = 0.0;
  for (const ProfilePoint& p : profile) largest = std::max(largest, p.radius);
  const double tolerance = straight_tolerance * largest;
  std::vector<ProfilePoint> out{profile.front()};
  std::size_t anchor = 0, i = 1;
  const std::size_t n = profile.size();
  while (i < n) {
    const ProfilePoint& a = profile[anchor];
    if (profile[i].z == a.z) {  // a vertical step: kept as it is
      out.push_back(profile[i]);
      anchor = i++;
      continue;
    }
    // The slopes from the anchor that pass within the tolerance of every
    // point taken so far; the run grows while the next point's chord lies
    // within them (the sleeve of a piecewise-linear simplification).
    double low = -std::numeric_limits<double>::infinity(), high = std::numeric_limits<double>::infinity();
    std::size_t last = i;
    for (std::size_t j = i; j < n && profile[j].z > profile[j - 1].z; ++j) {
      const double dz = profile[j].z - a.z, slope = (profile[j].radius - a.radius) / dz;
      if (slope < low || slope > high) break;
      last = j;
      low = std::max(low, (profile[j].radius - tolerance - a.radius) / dz);
      high = std::min(high, (profile[j].radius + tolerance - a.radius) / dz);
    }
    out.push_back(profile[last]);
    anchor = last;
    i = last + 1;
  }
  return out;
}

namespace {

// Whether a line (its comment cut) is the word `outside` alone.
bool is_outside_line(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r"), last = line.find_last_not_of(" \t\r");
  return first != std::string_view::npos && line.substr(first, last - first + 1) == "outside";
}

// The points of lines [from, to) of the file, with their line numbers.
std::vector<ProfilePoint> read_points(const std::vector<std::string_view>& all, std::size_t from,
                                      std::size_t to, double metres_per_unit,
                                      std::vector<std::size_t>& lines) {
  std::vector<ProfilePoint> points;
  for (std::size_t k = from; k < to; ++k) {
    std::string_view line = all[k];
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const numerics::Fields f = numerics::number_fields(line, ",");
    if (!f.bad.empty())
      throw numerics::InputError("", k + 1, "'" + numerics::printable(f.bad) + "' is not a number");
    if (f.values.empty()) continue;
    if (f.values.size() != 2) throw numerics::InputError("", k + 1, "a point is z and radius, two numbers");
    points.push_back({f.values[0] * metres_per_unit, f.values[1] * metres_per_unit});
    lines.push_back(k + 1);
  }
  return points;
}

// The index of the `outside` line, or the line count.
std::size_t outside_line(const std::vector<std::string_view>& all) {
  for (std::size_t k = 0; k < all.size(); ++k) {
    std::string_view line = all[k];
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    if (is_outside_line(line)) return k;
  }
  return all.size();
}

}  // namespace

std::vector<ProfilePoint> read_outside(std::string_view text, double metres_per_unit,
                                       std::vector<std::size_t>* point_lines) {
  const auto all = numerics::lines_of(text);
  std::vector<std::size_t> lines;
  const std::size_t at = outside_line(all);
  std::vector<ProfilePoint> points = at < all.size()
                                         ? read_points(all, at + 1, all.size(), metres_per_unit, lines)
                                         : std::vector<ProfilePoint>{};
  if (at < all.size() && points.empty())
    throw numerics::InputError("", at + 1, "'outside' is followed by no point");
  if (point_lines) *point_lines = std::move(lines);
  return points;
}

std::vector<ProfilePoint> read_profile(std::string_view text, double metres_per_unit,
                                       std::vector<std::size_t>* point_lines) {
  const auto all = numerics::lines_of(text);
  std::vector<std::size_t> lines;
  std::vector<ProfilePoint> points = read_points(all, 0, outside_line(all), metres_per_unit, lines);
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

std::vector<Section> staircase(const std::vector<ProfilePoint>& listed, double longest, double highest) {
  check_profile(listed);
  const std::vector<ProfilePoint> profile = merged_profile(listed);
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
    throw WorkLimit("sections", total, double(max_sections),
                    "the wall needs " + std::to_string(static_cast<long long>(total)) +
                        " sections at these step sizes (at most " + std::to_string(max_sections) + ")");
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

namespace {

// The pieces of a staircase the wave crosses, from the input to the
// aperture: each section's length, each step between two sections of
// different radii, and each slot (a section wider than the guides on either
// side, a corrugated horn's period) as one piece that holds its step up, its
// length and its step down, crossed as one network where that network
// serves (slot_back) and part by part where it declines.
struct Piece {
  enum class Kind { length, step, slot };
  Kind kind;
  std::size_t section;       // the section (length, slot) or the one after the step
  std::vector<Piece> parts;  // a slot's step up, length and step down
  // What the backward pass keeps to pass the forward wave on: a step crossed
  // directly or a slot's network (through), or the cascade's matrix.
  std::optional<StepBack> through;
  Matrix passed;
  std::vector<Complex> phase;  // a length's exp(-j beta l)
};

std::vector<Piece> pieces_of(const std::vector<Section>& sections) {
  const auto step = [](std::size_t i) { return Piece{Piece::Kind::step, i, {}, {}, {}, {}}; };
  const auto length = [](std::size_t i) { return Piece{Piece::Kind::length, i, {}, {}, {}, {}}; };
  std::vector<Piece> pieces;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const bool slot = i > 0 && i + 1 < sections.size() && sections[i].radius > sections[i - 1].radius &&
                      sections[i].radius > sections[i + 1].radius;
    if (slot) {
      pieces.push_back({Piece::Kind::slot, i, {step(i), length(i), step(i + 1)}, {}, {}, {}});
      continue;
    }
    const bool step_before = i > 0 && sections[i - 1].radius != sections[i].radius;
    // A step out of a slot belongs to the slot.
    const bool after_slot = !pieces.empty() && pieces.back().kind == Piece::Kind::slot;
    if (step_before && !after_slot) pieces.push_back(step(i));
    pieces.push_back(length(i));
  }
  return pieces;
}

// The two passes of the wave through the pieces: back from the aperture's
// load, keeping what passes the wave on, then forward from a unit TE-11 wave.
class Passes {
 public:
  Passes(const Staircase& staircase, double k0) : staircase_(staircase), k0_(k0) {
    const auto& sections = staircase.sections();
    // Each guide with its modes' beta and sqrt(Z) at k0, found once for each
    // radius.
    guides_.reserve(staircase.guides().size());
    for (const Guide& guide : staircase.guides()) guides_.push_back(guide_at(guide, k0));
    at_.resize(sections.size());
    for (std::size_t i = 0; i < sections.size(); ++i) at_[i] = &guides_[staircase.guide_index(i)];
  }
  const GuideAt& at(std::size_t i) const { return *at_[i]; }

  // Back through a piece: g, the reflection seen looking toward the
  // aperture, moves to the piece's input side.
  void back(Piece& piece, Matrix& g) {
    switch (piece.kind) {
      case Piece::Kind::length: return back_length(piece, g);
      case Piece::Kind::step: return back_step(piece, g);
      case Piece::Kind::slot: {
        const std::size_t i = piece.section;
        piece.through = slot_back(at(i - 1), at(i), at(i + 1), staircase_.sections()[i].length, g,
                                  staircase_.couplings(i), staircase_.couplings(i + 1));
        if (piece.through) {
          g = piece.through->reflection;
          return;
        }
        for (std::size_t k = piece.parts.size(); k-- > 0;) back(piece.parts[k], g);
        return;
      }
    }
  }

  // Forward through a piece: the forward waves at its input to those at its
  // output.
  void forward(const Piece& piece, std::vector<Complex>& a) const {
    if (piece.kind == Piece::Kind::length) {
      for (std::size_t r = 0; r < a.size(); ++r) a[r] = times(a[r], piece.phase[r]);
    } else if (piece.through) {
      a = piece.through->pass(a);
    } else if (piece.kind == Piece::Kind::slot) {
      for (const Piece& part : piece.parts) forward(part, a);
    } else if (piece.passed.rows() > 0) {
      a = piece.passed * a;
    }
  }

 private:
  void back_length(Piece& piece, Matrix& g) const {
    const auto& beta = at(piece.section).beta;
    const double l = staircase_.sections()[piece.section].length;
    piece.phase.reserve(beta.size());
    for (const Complex& b : beta) piece.phase.push_back(std::exp(Complex(0.0, -1.0) * b * l));
    for (std::size_t r = 0; r < g.rows(); ++r) {
      Complex* __restrict row = &g(r, 0);
      const Complex* __restrict q = piece.phase.data();
      const Complex pr = q[r];
      for (std::size_t c = 0; c < g.cols(); ++c) row[c] = times(row[c], times(pr, q[c]));
    }
  }

  // Directly from the step's relations (StepBack), or by the cascade of
  // scattering matrices where the direct form is ill-conditioned.
  void back_step(Piece& piece, Matrix& g) {
    const std::size_t i = piece.section;
    piece.through = step_back(at(i - 1), at(i), g, staircase_.couplings(i));
    if (piece.through) {
      g = piece.through->reflection;
      return;
    }
    const Gsm& s = junction_before(i);
    const Matrix loop = Matrix::identity(g.rows()) - s.s22 * g;
    piece.passed = solve(loop, s.s21);
    g = s.s11 + s.s12 * (g * piece.passed);
  }

  // The cascade's scattering matrix of a step, once for each pair of radii.
  const Gsm& junction_before(std::size_t i) {
    const auto& sections = staircase_.sections();
    const std::pair radii{sections[i - 1].radius, sections[i].radius};
    auto it = junctions_.find(radii);
    if (it == junctions_.end())
      it = junctions_.emplace(radii, junction(at(i - 1).guide, at(i).guide, k0_)).first;
    return it->second;
  }

  const Staircase& staircase_;
  double k0_;
  std::vector<GuideAt> guides_;
  std::vector<const GuideAt*> at_;
  std::map<std::pair<double, double>, Gsm> junctions_;
};

}  // namespace

namespace {

// The wave through the staircase with the aperture's reflection matrix
// `load` gives for its guide.
HornWave follow(const Staircase& staircase, double k0, const std::function<Matrix(const Guide&)>& load) {
  Passes passes(staircase, k0);
  std::vector<Piece> pieces = pieces_of(staircase.sections());

  // Back from the aperture's load.
  const GuideAt& aperture = passes.at(staircase.sections().size() - 1);
  Matrix g = load(aperture.guide);
  if (g.rows() != aperture.guide.modes.size() || g.cols() != g.rows())
    throw std::invalid_argument("the aperture's reflection matrix does not match its modes");
  std::vector<Complex> gamma(g.rows());
  for (std::size_t m = 0; m < gamma.size(); ++m) gamma[m] = g(m, m);
  for (std::size_t k = pieces.size(); k-- > 0;) passes.back(pieces[k], g);

  HornWave wave;
  wave.input = passes.at(0).guide;
  wave.reflected.reserve(g.rows());
  for (std::size_t r = 0; r < g.rows(); ++r) wave.reflected.push_back(g(r, 0));
  wave.reflection = g(0, 0);

  // Forward from a unit TE-11 wave.
  std::vector<Complex> a(wave.input.modes.size());
  a[0] = 1.0;
  for (const Piece& piece : pieces) passes.forward(piece, a);
  wave.aperture = aperture.guide;
  wave.forward = std::move(a);
  wave.aperture_reflection = gamma;  // the diagonal, which the radiation's sources take
  return wave;
}

}  // namespace

HornWave follow_wave(const Staircase& staircase, double k0, ApertureLoad load) {
  return follow(staircase, k0, [&](const Guide& aperture) {
    const auto gamma = aperture_reflection(aperture, k0, load);
    Matrix g(gamma.size(), gamma.size());
    for (std::size_t m = 0; m < gamma.size(); ++m) g(m, m) = gamma[m];
    return g;
  });
}

HornWave follow_wave(const Staircase& staircase, double k0, const Matrix& aperture_gamma) {
  return follow(staircase, k0, [&](const Guide&) { return aperture_gamma; });
}

Matrix aperture_reflection(const Guide& aperture, double k0, const Matrix& admittance) {
  const std::size_t n = aperture.modes.size();
  if (admittance.rows() != n || admittance.cols() != n)
    throw std::invalid_argument("the admittance does not match the aperture's modes");
  const auto root = root_impedance(aperture, k0);
  Matrix y(n, n);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t k = 0; k < n; ++k) y(i, k) = root[i] * admittance(i, k) * root[k];
  Matrix plus = Matrix::identity(n), minus = Matrix::identity(n);
  plus += y;
  minus -= y;
  return solve(plus, minus);
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
