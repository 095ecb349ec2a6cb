// A horn of revolution for the mode-matching engine: its wall profile, the
// staircase of uniform sections that approximates it, and the TE-11 wave
// sent in from the feeding waveguide, followed through every junction to the
// aperture.
//
// Profile. Points (z, radius) in metres from the feeding waveguide to the
// aperture: z never decreases; two points at the same z are a vertical step
// (a slot is a step out and a step back in); between points of different z
// the wall is straight (a cone, or a cylinder). The first segment's start is
// the input reference plane, the last point the aperture.
//
// Staircase. Collinear points joined first (merged_profile), each sloped
// segment becomes uniform sections of equal length,
// each with the radius of the wall at its middle, so many that no section
// is longer than `longest` nor changes the radius by more than `highest`
// (a smooth wall is reached as both shrink: results converge in the number
// of steps, a test); cylinders and vertical steps are taken as they are.
//
// The wave. A unit TE-11 wave is sent into the first section. Going back
// from the aperture, the reflection matrix G seen toward the aperture is
// carried through each section (G -> P G P, P = diag(exp(-j beta l))) and
// each junction, directly from the step's relations (modal/junction.hpp,
// step_back), keeping what passes the wave on; a slot (a section wider than
// both its neighbours) is crossed with its two steps as one network
// (slot_back); going forward, the wave is carried to the aperture by those
// and the P's. Where a slot's form declines, its steps serve; where a step's
// direct form is ill-conditioned, its scattering matrix serves instead (G ->
// S11 + S12 G (I - S22 G)^-1 S21, passing T = (I - S22 G)^-1 S21), computed
// once for a pair of radii met before (a corrugated horn's slots repeat).
//
// The aperture's load. `matched`: no wave comes back from the aperture (an
// endless guide: what the junction and cascade tests need). `free_space`:
// each propagating mode meets the wave impedance of free space, so it comes
// back with Gamma = (1 - Z) / (1 + Z), Z its wave impedance over that of
// free space (TE: k0 / beta, TM: beta / k0), and its aperture field obeys
// E = eta H x z, the Huygens source's relation; evanescent modes are taken
// as matched (their reactive load is left out). This is the wave-impedance
// estimate of an open end: for TE-11 |Gamma| = (k - beta) / (k + beta),
// -29 dB at ka = 5, -37 dB at ka = 8, -53 dB at ka = 20; a full-wave model
// of a ka = 5 horn reflects at that level (doc/modal.md). The rim's own
// diffraction and the modes' coupling at the aperture are not in it.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "modal/junction.hpp"

namespace modal {

struct ProfilePoint {
  double z, radius;  // m
};

// A profile that is not a horn: the point (from 1; 0 for the profile as a
// whole) and the fault. what() is "point N: fault", or the fault alone.
class ProfileError : public std::invalid_argument {
 public:
  ProfileError(std::size_t point_number, const std::string& what_is_wrong)
      : std::invalid_argument(point_number == 0
                                  ? what_is_wrong
                                  : "point " + std::to_string(point_number) + ": " + what_is_wrong),
        point(point_number),
        fault(what_is_wrong) {}
  std::size_t point;
  std::string fault;
};

// Throws ProfileError: fewer than two points, a radius that is not positive,
// z going backward, no length at all, or a last segment that is a vertical
// step (the last point is the aperture).
void check_profile(const std::vector<ProfilePoint>& profile);

// The profile with every run of points that lie on one straight line (within
// straight_tolerance of the largest radius) joined into one segment, so
// that the staircase depends on the wall and not on how densely it is
// listed: a cone written with 10 or 20,000 points is the same horn (a
// test). A curved wall listed densely becomes chords within the tolerance
// of it. Vertical steps are kept.
inline constexpr double straight_tolerance = 1e-5;
std::vector<ProfilePoint> merged_profile(const std::vector<ProfilePoint>& profile);

// A profile file: one point a line, z then radius separated by blanks, tabs
// or a comma, in a unit of `metres_per_unit` metres; '#' starts a comment,
// blank lines are passed over. numerics::InputError naming the line and the
// fault (a field that is not a number, a missing or extra field, then what
// check_profile says, by line; std::invalid_argument for the profile as a
// whole).
// `lines`, when given, receives each point's line number.
// A line `outside` ends the inner wall; read_outside gives the points after
// it (the outer contour, bor/horn.hpp, in the same format; empty without
// that line; InputError for a field that is not a number, a missing or extra
// field, or an `outside` followed by no point).
std::vector<ProfilePoint> read_profile(std::string_view text, double metres_per_unit,
                                       std::vector<std::size_t>* lines = nullptr);
std::vector<ProfilePoint> read_outside(std::string_view text, double metres_per_unit,
                                       std::vector<std::size_t>* lines = nullptr);

// A smooth cone from a waveguide of radius b (a length `feed` of it first)
// to an aperture of radius a, `axial` long.
std::vector<ProfilePoint> cone_profile(double waveguide_radius, double aperture_radius, double axial_length,
                                       double feed_length);

// The smooth cone of a description by its feeding guide, as the programs
// build it: the guide one diameter long before the flare, where the input
// reference plane lies.
inline std::vector<ProfilePoint> cone_from_guide(double waveguide_radius, double aperture_radius,
                                                 double axial_length) {
  return cone_profile(waveguide_radius, aperture_radius, axial_length, 2.0 * waveguide_radius);
}

struct Section {
  double radius, length;  // m
};
// At most max_sections; WorkLimit beyond (before any is built).
inline constexpr std::size_t max_sections = 100000;
std::vector<Section> staircase(const std::vector<ProfilePoint>& profile, double longest, double highest);

// The horn at one free-space wavenumber, every guide with the modes below
// K_max = largest_cutoff (1/m).
enum class ApertureLoad { matched, free_space };

struct HornWave {
  Complex reflection;                        // of TE-11 at the input reference plane
  Guide input;                               // the first guide, with its modes
  std::vector<Complex> reflected;            // each input mode's wave coming back (reflection is the first)
  Guide aperture;                            // the last guide, with its modes
  std::vector<Complex> forward;              // each aperture mode's wave at the aperture plane, toward it
  std::vector<Complex> aperture_reflection;  // each mode's Gamma there (0 for a matched aperture)
  // The wall's own aperture radius (m) where the wave knows its wall (a
  // Band's); 0: the last section's. The radiation's domain is judged by it.
  double mouth_radius = 0.0;
  // How the wave's steps and modes settled (a Band's wave): the last
  // refinement's move of the waves (relative to the incident wave; the
  // uncertainty of the reflection's magnitude), and whether it met the target.
  double settled_change = 0.0;
  bool settled = true;
  double radiating_radius() const { return mouth_radius > 0.0 ? mouth_radius : aperture.radius; }
};
// Each aperture mode's Gamma under a load.
std::vector<Complex> aperture_reflection(const Guide& aperture, double k0, ApertureLoad load);

// The aperture's reflection matrix from a generalised admittance Y of its
// modes (I = Y V, modal/radiation.hpp's waves; the identity is free space's
// Huygens load): Gamma = (1 + y)^-1 (1 - y), y = S Y S, S = diag(sqrt(Z_n / eta)).
Matrix aperture_reflection(const Guide& aperture, double k0, const Matrix& admittance);
// Bounded work: the matrices kept for the forward pass (complex numbers) and
// the multiply-adds of the junctions' solves are counted before any is
// built; WorkLimit beyond max_kept or max_operations (a few hundred
// megabytes, some seconds), so that no frequency of any profile hangs.
inline constexpr double max_kept = 8e6;
// The same bound in bytes (complex doubles): 128 MB.
inline constexpr std::size_t max_kept_bytes = static_cast<std::size_t>(max_kept) * 16;
inline constexpr double max_operations = 2e9;

// The sections with what every frequency's wave through them shares: each
// guide's modes below K_max = largest_cutoff (1/m) and each step's
// couplings (modal/modes.hpp), which depend on the radii and K_max alone
// (half the size of the matrices a wave keeps, so within the same bound).
// WorkLimit beyond the work bound, before anything is built.
class Staircase {
 public:
  Staircase(std::vector<Section> sections, double largest_cutoff);
  const std::vector<Section>& sections() const { return sections_; }
  std::size_t size() const { return sections_.size(); }
  double largest_cutoff() const { return largest_cutoff_; }
  const Guide& guide(std::size_t section) const { return guides_[guide_[section]]; }
  // Each radius's guide once, and which of them a section has.
  const std::vector<Guide>& guides() const { return guides_; }
  std::size_t guide_index(std::size_t section) const { return guide_[section]; }
  // The step before `section` (its guide and the one before differ): X of
  // the smaller guide's modes and the larger's.
  const std::vector<double>& couplings(std::size_t section) const { return couplings_[section]; }

 private:
  std::vector<Section> sections_;
  double largest_cutoff_;
  std::vector<Guide> guides_;       // one for each radius
  std::vector<std::size_t> guide_;  // each section's
  std::vector<std::vector<double>> couplings_;
};
HornWave follow_wave(const Staircase& staircase, double k0, const Matrix& aperture_gamma);
HornWave follow_wave(const Staircase& staircase, double k0, ApertureLoad load = ApertureLoad::matched);
HornWave follow_wave(const std::vector<Section>& sections, double k0, double largest_cutoff,
                     ApertureLoad load = ApertureLoad::matched);

// The wave through a wall with its steps and modes chosen for an accuracy
// target: steps of lambda/30 in length and lambda/120 in rise and K_max =
// 2.5 k0 first; the steps halve while the size of the TE-11 reflection, the
// size of the TE-11 wave at the aperture, or another aperture wave relative
// to it moves by more than `target` (in units of the incident wave), then
// K_max grows by half while they move by more than that. At most three
// halvings and three growths, and none beyond the work bound of follow_wave
// (the first wave alone may raise its WorkLimit); `change` is the
// last move, `converged` whether it met the target.
struct ConvergedWave {
  HornWave wave;
  double step_length, step_rise;  // m
  double largest_cutoff;          // 1/m
  double change;
  bool converged;
};
ConvergedWave converged_wave(const std::vector<ProfilePoint>& profile, double k0, double target = 1e-3,
                             ApertureLoad load = ApertureLoad::matched);

}  // namespace modal
