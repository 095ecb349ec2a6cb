// Generalised scattering matrices of the mode-matching engine: the step
// junction between two coaxial circular guides, a uniform section, and the
// cascade of two (Redheffer's star product). After the standard derivation
// (e.g. G. L. James, "Analysis and design of TE11-to-HE11 corrugated
// cylindrical waveguide mode converters", IEEE Trans. MTT 29(10), 1981):
//
// Waves. In each guide the transverse field is a sum over its modes of
// forward and backward waves of amplitudes a (toward the junction) and b
// (away from it), normalised to the mode's power: E_t = sqrt(Z) (a + b) e,
// H_t = (a - b) / sqrt(Z) z x e (signs along each wave's own direction),
// Z the wave impedance in units of eta (modal/modes.hpp), sqrt its principal
// root (a propagating wave carries |a|^2 watts; an evanescent one carries
// reactive power only).
//
// Junction. At a step from radius a (guide 1) to b > a (guide 2) the
// transverse E of guide 2 equals that of guide 1 on rho < a and vanishes on
// the metal annulus; the transverse H of guide 1 equals that of guide 2 on
// rho < a. Projected on the modes of guide 2 and of guide 1 (Galerkin, so
// the complex power through the junction is the same on both sides exactly),
// with X the couplings (rows: modes of guide 1) and F = D2^-1 X^T D1, D =
// diag(sqrt(Z)):
//   a2 + b2 = F (a1 + b1),   a1 - b1 = F^T (b2 - a2),
// whence
//   S11 = (I + F^T F)^-1 (I - F^T F),   S12 = 2 (I + F^T F)^-1 F^T,
//   S21 = F (I + S11),                  S22 = F S12 - I.
// S is symmetric (reciprocity) and its block of propagating modes unitary
// (no loss) to rounding, for any number of modes (tests). A step down (b <
// a) is the same junction with its ports exchanged.
//
// Modes: each guide keeps the modes whose cut-off wavenumber is below one
// common K_max (the ratio rule: counts in proportion to the radii, which the
// field's edge condition at the step asks for; R. Mittra, T. Itoh and T.-S.
// Li, IEEE Trans. MTT 20(2), 1972).
#pragma once

#include <optional>
#include <vector>

#include "modal/matrix.hpp"
#include "modal/modes.hpp"

namespace modal {

struct Guide {
  double radius;  // m
  std::vector<Mode> modes;
};

// A guide of this radius with the modes below the cut-off wavenumber
// `largest_cutoff` (1/m).
Guide guide(double radius, double largest_cutoff);

// beta of each mode at the free-space wavenumber k0 (1/m): sqrt(k0^2 - kc^2),
// -j sqrt(kc^2 - k0^2) below cut-off.
std::vector<Complex> propagation(const Guide& g, double k0);
// sqrt(Z / eta) of each mode: Z/eta = k0 / beta (TE), beta / k0 (TM).
std::vector<Complex> root_impedance(const Guide& g, double k0);
// Whether each mode propagates (its cut-off below k0).
std::vector<bool> propagating(const Guide& g, double k0);

// Port 1 on the left (the side of smaller z), port 2 on the right; each
// block's rows are the receiving port's modes, its columns the exciting
// port's.
struct Gsm {
  Matrix s11, s12, s21, s22;
};

Gsm junction(const Guide& left, const Guide& right, double k0);

// Back through a step without its scattering matrix: from the reflection G
// seen toward the right in `right` (forward waves to returning ones), the
// reflection seen toward the right in `left`, and what passes a forward
// wave f in `left` on to the forward wave in `right`: through (f + sign
// reflection f), that is f2 = X (f1 + r1) up a step and X (f1 - r1) down
// one. With f + r and f - r the modal voltages and currents, the step's
// relations above give the load's normalised admittance (I - G)(I + G)^-1
// seen through F (a step up) or its impedance (a step down), and the
// reflection from it: two solutions and two products of the guides' sizes,
// against five products and three solutions for the scattering matrix and
// its cascade, with the same result to rounding (tests). Every matrix on
// the way is symmetric (reciprocity), so each is factored as L D L^T where
// that holds without pivoting (modal/matrix.hpp), and by LU otherwise. None
// when LU's pivots are too small for that (the load near a short or open
// circuit in some mode combination): the cascade then serves.
struct StepBack {
  Matrix reflection, through;
  double sign = 1.0;
  Matrix after;  // for a slot (below): the voltages beyond it to waves
  // The forward wave in `right` at the step from the forward wave f in `left`.
  std::vector<Complex> pass(const std::vector<Complex>& f) const;
};
std::optional<StepBack> step_back(const Guide& left, const Guide& right, const Matrix& g, double k0);
// The same from what a horn finds once: each guide's sqrt(Z / eta) at k0
// (every guide meets two steps) and the step's couplings (modal/modes.hpp,
// `couplings` of the smaller guide's modes and the larger's).
struct GuideAt {
  Guide guide;
  std::vector<Complex> beta, root;  // propagation and root_impedance at k0
};
GuideAt guide_at(Guide g, double k0);
std::optional<StepBack> step_back(const GuideAt& left, const GuideAt& right, const Matrix& g,
                                  const std::vector<double>& couplings);
// Back across a slot: a short uniform length of a guide wider than the
// guides on either side, a step up into it and a step down out of it (a
// corrugated horn's every period), as one network in modal voltages and
// currents (generalised admittance matrix; e.g. G. Conciauro, M. Guglielmi
// and R. Sorrentino, "Advanced Modal Analysis", Wiley 1999, ch. 4). Per mode
// of the slot, with theta = beta length, the currents at its two faces are
// I_a = u V_a + v V_b and I_b = -v V_a - u V_b, u = -j cot theta, v = j /
// sin theta. With the steps' V_a = F1 V1, I1 = F1^T I_a, V_b = F3 V3, I3 =
// F3^T I_b and the load I3 = Y3 V3 beyond (Y3 = 2 (I + G)^-1 - I):
//   V3 = T V1,  T = -(Y3 + F3^T u F3)^-1 F3^T v F1,
//   Y1 = F1^T u F1 + (F3^T v F1)^T T,  reflection 2 (I + Y1)^-1 - I,
// and a forward wave f1 leaves as (I + G)^-1 T (I + reflection) f1. The
// slot's own N x N matrices are diagonal: the work is N M^2 and M^3 (M the
// narrower guides' modes) against N^3 for its reflection, which the two
// steps form. None where the factorisations decline or sin theta of a slot
// mode falls below 1e-3 (a face of the slot nearly a half wave from the
// other, where u and v grow without bound): the steps serve then.
// `left_couplings` and `right_couplings`: the couplings of the narrower
// guide's modes with the slot's at each step.
std::optional<StepBack> slot_back(const GuideAt& left, const GuideAt& slot, const GuideAt& right,
                                  double length, const Matrix& g, const std::vector<double>& left_couplings,
                                  const std::vector<double>& right_couplings);

// A length of uniform guide: S12 = S21 = diag(exp(-j beta length)).
Gsm section(const Guide& g, double length, double k0);
// a on the left, b on the right: the port 2 modes of a are b's port 1 modes.
Gsm cascade(const Gsm& a, const Gsm& b);

}  // namespace modal
