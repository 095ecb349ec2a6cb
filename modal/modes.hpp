// The azimuthal-order-one modes of a circular waveguide and the coupling
// integrals between the modes of two coaxial guides, in closed form: the
// first piece of the mode-matching engine (double precision; N. Marcuvitz,
// "Waveguide Handbook", sec. 2.3, for the modes; Green's first identity and
// Lommel's integral for the couplings, derived beside each case in modes.cpp).
//
// Modes. Of the two polarisations of order one, the one that carries an
// x-polarised TE-11 field: with k = root / radius the cut-off wavenumber,
//   TE_1n: e_rho = N J1(k rho) / rho cos phi,   e_phi = -N k J1'(k rho) sin phi
//          (psi = J1(k rho) sin phi, e = grad psi x z, root = j'_1n),
//   TM_1n: e_rho = -N k J1'(k rho) cos phi,     e_phi = N J1(k rho) / rho sin phi
//          (phi_m = J1(k rho) cos phi, e = -grad phi_m, root = j_1n),
// both x-directed on the axis, N such that the integral of |e|^2 over the
// guide's cross-section is 1 (test: numerical integration). The transverse
// magnetic field of a wave travelling in +z is z x e / Z, with the wave
// impedance Z = eta k0 / beta (TE) or eta beta / k0 (TM), beta =
// sqrt(k0^2 - k^2), -j sqrt(k^2 - k0^2) below cut-off (time dependence
// exp(j omega t), waves exp(-j beta z)).
//
// Couplings. For a guide of radius a inside one of radius b >= a on the same
// axis, X_ij = integral over rho < a of e_i(a) . e_j(b): the junction's
// matrix (modal/junction.hpp). TM modes of the smaller guide do not couple to
// TE modes of the larger one (their e vanishes on its rim in the only
// surviving term).
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "numerics/errors.hpp"

namespace modal {

// The engine's own work limit: a problem needs more of `quantity` than the
// engine allows, found before the work is done. It carries the quantity, the
// value asked (a lower bound where the count stopped at the limit) and the
// limit, so that each front end can word it.
class WorkLimit : public std::runtime_error, public numerics::Limit {
 public:
  WorkLimit(std::string quantity, double value, double limit, const std::string& message)
      : std::runtime_error(message), numerics::Limit(std::move(quantity), value, limit) {}
};

enum class Kind { te, tm };

struct Mode {
  Kind kind;
  int index;    // n of TE_1n or TM_1n, from 1
  double root;  // j'_1n or j_1n: the cut-off wavenumber times the radius
};

// The n-th positive root of J1' (TE) or J1 (TM), n >= 1 (Boost.Math's zeros
// of J1; those of J1' by TOMS 748 between neighbouring zeros of J1).
double root(Kind kind, int n);

// The modes whose cut-off root is at most `largest_root` (the ratio rule:
// with largest_root = K_max times the radius, every guide of a horn keeps
// the modes below one common cut-off wavenumber K_max, so their number grows
// with the radius), TE and TM in order of their roots. At most max_modes;
// WorkLimit beyond.
inline constexpr int max_modes = 400;
std::vector<Mode> modes_below(double largest_root);

// N of the mode in a guide of radius `radius`.
double norm(const Mode& mode, double radius);

// The normalised radial parts at rho (0 <= rho <= radius): e_rho = f cos phi,
// e_phi = g sin phi.
struct Radial {
  double f, g;
};
Radial field(const Mode& mode, double radius, double rho);

// X for mode `small` of the guide of radius a and mode `large` of the guide
// of radius b (a <= b): the integral over rho < a of their e's dot product.
double coupling(const Mode& small, double a, const Mode& large, double b);

// Lommel's integral int_0^a J_n(k rho) J_n(w rho) rho drho from J_n and
// J_n' at k a and w a: a (w J_n(ka) J_n'(wa) - k J_n'(ka) J_n(wa)) /
// (k^2 - w^2); for k and w within 1e-6 of each other, where that difference
// of nearly equal parts loses its digits, 48-point Gauss-Legendre on [0, a]
// (exact to rounding for the arguments of the mode lists). The couplings of
// two guides' modes and the radiation's transforms both rest on it.
double lommel(int n, double k, double w, double a, double jk, double jkp, double jw, double jwp);

// All of them at once, X(i, j) for the i-th mode of the smaller guide and the
// j-th of the larger, row by row: the same closed forms with each Bessel
// value computed once (J1 and J1' at the larger guide's k_j a), the way a
// horn of hundreds of junctions needs them.
std::vector<double> couplings(const std::vector<Mode>& small, double a, const std::vector<Mode>& large,
                              double b);

}  // namespace modal
