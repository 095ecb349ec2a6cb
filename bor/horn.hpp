// A horn of revolution with its outside: the mode-matching engine's wave
// inside (modal/), coupled at the aperture to the method of moments on the
// horn's outer surface (bor/mom.hpp), in double precision.
//
// Formulation (the equivalence principle). The aperture is closed by a
// metal disc carrying the magnetic current M = E x z^ of the aperture
// field; outside, the field is that of M beside the closed body: the disc,
// the flat rim face, the outer surface back over the horn, the feeding
// guide's outer surface and a closed end behind it. A thin wall (no outside
// given) is a metal sheet of no thickness: its outer surface is the inner
// wall itself. The body is closed, so the combined-field equation serves
// (the horn's inside, filled with metal in this problem, has cavity
// resonances in every band, which the electric equation alone would meet).
// The admittance Y the outside presents to the aperture guide's modes
// replaces the free-space load in the cascade (modal::aperture_reflection),
// the cascade gives the aperture's modal voltages V = S (c + Gamma c), and
// the far field is radiated by M of E = sum V_n e_n together with the
// electric currents it drives on the outside: over the whole sphere.
//
// The feeding guide's outer surface continues `guide_behind` wavelengths
// behind the horn's first point and ends in a flat closed face. Doubling
// that length moves the pattern within 90 degrees by less than 0.4 dB where
// it is above -20 dB, and the return loss by less than 0.15 dB (a test);
// behind the horn, the back lobe depends on how the guide ends (3 to 5 dB),
// as it does on a real feed's transition.
//
// Accuracy: the segments are `segments_per_wavelength`-th of a wavelength,
// the quadrature refinement 1 (bor/mom.hpp); halving the segments or
// doubling the quadrature moves the return loss by less than 0.02 dB and
// the pattern within 90 degrees by less than 0.05 dB (a ka 5 cone, a test);
// incident power equals reflected and radiated within 1e-3 (1e-4 at a
// quarter of the segments). Domain: every ka from the aperture's TE-11
// cut-off; the work grows as the square of the outline's length in
// wavelengths (the matrix's fill) and its cube for the solve, bounded by
// max_unknowns.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bor/mom.hpp"
#include "farfield/figures.hpp"
#include "modal/band.hpp"
#include "modal/figures.hpp"

namespace bor {

inline constexpr double guide_behind = 1.0;              // wavelengths
inline constexpr double segments_per_wavelength = 10.0;  // the programs' segments
// The aperture's disc carries the fields of every aperture mode up to the
// cascade's K_max: its segments are 2 pi / K_max over this (without it the
// return loss of a ka 5 cone moved by 0.46 dB as the segments halved; with
// it, by 0.01 dB).
inline constexpr double disc_segments_per_cutoff_wavelength = 8.0;
// The moment method's largest problem: 2400 unknowns (a dense complex
// matrix of 92 MB), found before any work.
inline constexpr std::size_t max_unknowns = 2400;

// The outer contour (z, radius in metres), from the rim's outer edge in the
// aperture plane back to the feeding guide's outer surface (its last point's
// radius is that surface's, which continues behind the horn); empty: a thin
// wall.
using Contour = std::vector<modal::ProfilePoint>;

// The outer contour of a wall `thickness` thick (metres, > 0): the outer
// surface parallel to the inner wall at that normal distance (corners
// joined where the offset lines meet), a flat rim face at the aperture, and
// with `flange_diameter` > 0 a flat plate of the same thickness in the
// aperture plane out to that diameter. ProfileError for a wall whose offset
// would cross itself, a flange no wider than the rim.
Contour thick_wall(const std::vector<modal::ProfilePoint>& wall, double thickness,
                   double flange_diameter = 0.0);

// numerics::InvalidRequest naming {wall_thickness} or {flange_diameter} for
// a length that is not positive, or a flange without the wall's thickness.
void require_outside_lengths(const std::optional<float>& wall_thickness,
                             const std::optional<float>& flange_diameter);

// Throws ProfileError (point numbers of the contour, from 1) for an outside
// that does not begin in the aperture plane beyond the rim, crosses the
// inner wall or itself, or ends inside the feeding guide's wall.
void check_outside(const std::vector<modal::ProfilePoint>& wall, const Contour& outside);

// The generating curve of the body at a wavelength (metres), aperture plane
// at z = 0, from the axis at the aperture's centre to the axis behind the
// guide: the disc to `disc_radius` (the staircase's last section), the rim
// face, the outside, the guide's outer surface behind, its closed end.
std::vector<Point> body_outline(const std::vector<modal::ProfilePoint>& wall, const Contour& outside,
                                double disc_radius, double wavelength, double behind = guide_behind);

// The outline with its segments graded toward the aperture's edge: within
// `segment` of the disc's rim and of the rim face's outer edge, corners at
// segment / 2, / 4 and / 8 from them.
std::vector<Point> graded_near_rim(const std::vector<Point>& outline, double segment);

// The coupled horn's far field as a radiator over 0 ... pi: C_E = F_e,
// C_H = F_h (bor/mom.hpp's FarField), phases referred to the aperture's
// centre. The sums over the outline's samples are kept, so that an angle
// costs two Bessel functions a sample.
class CoupledRadiator : public farfield::Radiator {
 public:
  CoupledRadiator(const Solver& solver, const Currents& currents, double aperture_radius);
  farfield::PlaneFields far_fields(double theta) const override;
  double ka() const override { return ka_; }
  double wavelength() const override;
  double slope_bound() const override { return slope_bound_; }

 private:
  std::vector<RadiatingSample> samples_;
  double k_, ka_, slope_bound_;
};

struct CoupledWave {
  modal::HornWave wave;  // aperture_reflection: the diagonal of Gamma
  std::shared_ptr<const CoupledRadiator> radiator;
  std::size_t unknowns;
};

// The coupled horn at one frequency (GHz): the band's settled steps and
// modes inside, the outside by the method of moments. modal::BelowCutOff
// below the feeding guide's cut-off; modal::WorkLimit beyond max_unknowns.
// `segments`, `refinement` and `behind` (the guide's outer length behind the
// horn, wavelengths) for the convergence tests.
CoupledWave coupled_wave(const modal::Band& band, const Contour& outside, double frequency_ghz,
                         double segments = segments_per_wavelength, int refinement = 1,
                         double behind = guide_behind);

// The figures of the coupled horn: the input match, the beam figures, the
// directivity over the whole sphere, the cross-polar peak, and the
// front-to-back ratio (the axis against the back axis, dB).
struct Figures : modal::Figures {
  double front_to_back_db;
};
Figures figures(const CoupledWave& coupled, double frequency_ghz);

}  // namespace bor
