// ALGIP: value at x of the Lagrange polynomial through n points (xa[i], ya[i]),
// evaluated in Lagrange form with single-precision running values.
//
// n <= 0 gives 0; n = 1 gives ya[0] whatever x is; outside the span of the
// abscissae the polynomial extrapolates. Two equal abscissae divide by zero
// (an infinity or NaN results; no caller passes them).
#pragma once

namespace numerics {

float ALGIP(const float& x, const float* xa, const float* ya, const int& n);

}  // namespace numerics
