// The accuracy limits within which a classic figure is taken to hold against
// the engine's (doc/accuracy.md): gain 0.2 dB, beamwidth 1 degree or 5 % of
// the engine's width, whichever is larger, phase centre 0.1 wavelength. The
// one home of the verdicts that veskal-sweep --check and the accuracy map
// give.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>

namespace aperture::limits {

inline constexpr double gain_db = 0.2;
inline constexpr double phase_centre_wavelengths = 0.1;

// The allowed difference for a beamwidth of `engine_degrees`.
inline double beamwidth_degrees(double engine_degrees) {
  return std::max(1.0, 0.05 * std::abs(engine_degrees));
}

// Whether |classic - engine| is within `limit`; false for NaN.
inline bool holds(double classic, double engine, double limit) { return std::abs(classic - engine) <= limit; }

// The figures compared, in the order of the report's columns.
enum class Figure {
  gain,
  e_beamwidth_3db,
  h_beamwidth_3db,
  e_beamwidth_10db,
  h_beamwidth_10db,
  e_phase_centre,
  h_phase_centre
};
inline constexpr std::array<Figure, 7> figures = {Figure::gain,
                                                  Figure::e_beamwidth_3db,
                                                  Figure::h_beamwidth_3db,
                                                  Figure::e_beamwidth_10db,
                                                  Figure::h_beamwidth_10db,
                                                  Figure::e_phase_centre,
                                                  Figure::h_phase_centre};
// Their names in tables (outside_limits), and in pictures and documents.
inline constexpr std::array<const char*, 7> figure_keys = {
    "gain",           "e_beamwidth_3db", "h_beamwidth_3db", "e_beamwidth_10db", "h_beamwidth_10db",
    "e_phase_centre", "h_phase_centre"};
inline constexpr std::array<const char*, 7> figure_titles = {"gain",
                                                             "E-plane 3 dB width",
                                                             "H-plane 3 dB width",
                                                             "E-plane 10 dB width",
                                                             "H-plane 10 dB width",
                                                             "E-plane phase centre",
                                                             "H-plane phase centre"};

// The limit of a figure (dB, degrees or wavelengths) at the engine's value.
inline double limit(Figure figure, double engine) {
  switch (figure) {
    case Figure::gain: return gain_db;
    case Figure::e_phase_centre:
    case Figure::h_phase_centre: return phase_centre_wavelengths;
    default: return beamwidth_degrees(engine);
  }
}

enum class Verdict { holds, within_twice, fails };

// holds within the limit, within_twice within twice it, fails beyond (and
// for NaN).
inline Verdict verdict(Figure figure, double classic, double engine) {
  const double d = std::abs(classic - engine), l = limit(figure, engine);
  if (d <= l) return Verdict::holds;
  return d <= 2.0 * l ? Verdict::within_twice : Verdict::fails;
}

}  // namespace aperture::limits
