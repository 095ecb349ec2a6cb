// A horn's figures over a band against a designer's requirements: each
// frequency's input match, cross-polar peak, 10 dB widths, edge taper,
// directivity and phase centres by one of the wall's models (the figures
// veskal-sweep --check gives of the same profile: one engine call, the same
// numbers), each requirement's worst margin over the band, and the
// optimiser's objective from them.
//
// The pattern requirement (a 10 dB beamwidth, an edge taper at an angle, or
// a gain) is an equality, met within pattern_tolerance at the band's centre
// frequency f_c = sqrt(f_min f_max) as the primer sizes a horn, or at every
// frequency with over_band; the return loss is a floor and the cross-polar
// peak a ceiling at every frequency; the phase centre's spread (the mean of
// the E- and H-plane centres, highest less lowest) a ceiling.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "modal/horn.hpp"
#include "models/registry.hpp"

namespace synthesis {

enum class Pattern { none, beamwidth_10db, edge_taper, gain };

struct Requirements {
  Pattern pattern = Pattern::none;
  double pattern_value = 0.0;  // degrees (full width), dB below the axis, or dBi
  double half_angle = 0.0;     // degrees, for the edge taper
  bool over_band = false;
  std::optional<double> return_loss_db, cross_polar_db;
  std::optional<double> phase_centre_spread;  // m
};

// How closely an equality is met: a beamwidth within 1 degree, an edge
// taper within 0.5 dB, a gain within 0.2 dB.
double pattern_tolerance(Pattern pattern);

// One frequency's figures (lengths in metres); `error` where the model
// refused the frequency (no figure then but the match, where it has one).
struct Row {
  float frequency = 0.0f;
  std::optional<double> return_loss_db, peak_cross_polar_db;
  std::optional<double> e_beamwidth_10db, h_beamwidth_10db, directivity_db;
  std::optional<double> edge_taper_db;
  std::optional<double> e_phase_centre, h_phase_centre;  // m behind the aperture
  // The wave's settled change where its steps and modes missed the target
  // (modal/band.hpp): its figures may be off by as much.
  std::optional<double> unsettled;
  std::string error;
  // The mean of the planes' centres, or the one there is.
  std::optional<double> phase_centre() const;
};

// The row's figure the pattern requirement is judged by: the mean of the
// E- and H-plane 10 dB widths, the edge taper, or the directivity; none
// where the row lacks it.
std::optional<double> pattern_figure(const Row& row, Pattern pattern);

struct Margin {
  std::string requirement;  // "return loss", "cross-polar", "pattern", "phase centre spread"
  double worst;             // the band's worst value of the figure (dB, degrees, m)
  double margin;            // how far inside the requirement (< 0: its shortfall)
  bool met() const { return margin >= 0.0; }
};

struct Evaluation {
  std::vector<Row> band;  // in the order of the frequencies
  Row centre;             // at f_c
  std::vector<Margin> margins;
  double objective = 0.0;  // the optimiser's, lower is better
  bool meets() const;
};

// The horn of `wall` (with `outside`, its outer contour, for a model that
// has one) at every frequency and at f_c, on up to `threads` threads.
// std::runtime_error naming the frequency for a wall beyond the engine's
// limits.
Evaluation evaluate(const std::vector<modal::ProfilePoint>& wall,
                    const std::vector<modal::ProfilePoint>& outside, std::span<const float> frequencies,
                    const Requirements& requirements, models::Model model, unsigned threads);

// The margins and the objective of rows already computed: the sum over the
// requirements of s^2 + s, s the shortfall in its own scale (1 dB, 1
// degree, a tenth of the centre wavelength for the phase centre), less a hundredth of the
// margins beyond (up to 3 dB; none for the pattern's equality, which adds
// 0.05 (deviation / tolerance)^2 instead), so that a design that meets
// everything keeps improving; and 0.01 (change / target)^2 for each row
// whose steps and modes did not settle (its figures known only to that
// change), so that the design keeps to horns the engine describes. `excess`: how far a
// constraint the box cannot hold is broken, in the same scale.
void judge(Evaluation& e, const Requirements& requirements, double centre_wavelength, double excess = 0.0);

}  // namespace synthesis
