// Bessel function of the first kind and the reciprocal gamma function, in
// single precision with double-precision evaluation of each formula.
//
// BESJ(x, n): J_n(x). Ascending series for x <= 6 (also every negative x and
//   NaN), Hankel's asymptotic expansion (five terms of P and Q) for x > 6.
//   BESJ(0, 0) = 1; BESJ(0, n) = 0 for n != 0. A non-integer order with a
//   negative argument raises a negative base to a real power: NaN results.
// GAMI(x): 1/Gamma(x) from the power series of Abramowitz and Stegun 6.1.34
//   with upward or downward recurrence. 0 at the poles 0, -1, -2, ..., and 0
//   for |x| >= 33 or NaN.
// GAM(x): Gamma(x) = 1 / GAMI(x); an infinity at a pole.
//
// BESJ_each(x, n, values): BESJ(x[i], n) for every i, bit for bit. The series
//   of all the arguments run side by side, term by term, so that the
//   processor overlaps their independent divisions; each argument's own chain
//   of operations is that of BESJ. values must be as long as x.
#pragma once

#include <span>

namespace numerics {

float BESJ(const float& x, const float& order);
void BESJ_each(std::span<const float> x, const float& order, std::span<float> values);
float GAMI(const float& x);
float GAM(const float& x);

}  // namespace numerics
