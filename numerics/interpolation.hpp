// ALGIP: value at x of the Lagrange polynomial through n points (xa[i], ya[i]),
// evaluated in Lagrange form with single-precision running values.
//
// n <= 0 gives 0; n = 1 gives ya[0] whatever x is; outside the span of the
// abscissae the polynomial extrapolates. Two equal abscissae divide by zero
// (an infinity or NaN results; no caller passes them).
//
// Table look-up: for a table whose entry j stands at x = step * j, the three
// consecutive entries around x are those of the window that `table_window`
// picks; `interpolate_window` is the quadratic through them (ALGIP, three
// points) at x.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace numerics {

float ALGIP(const float& x, const float* xa, const float* ya, const int& n);

// Entries middle - 1, middle, middle + 1 and their abscissae step * j.
struct TableWindow {
  std::int32_t middle;
  std::array<float, 3> x;
};

// middle = trunc(x / step + offset), held within 1 ... table_size - 2 so that
// the window never leaves the table: below the first entry and beyond the
// last the end window's quadratic extrapolates. NaN, and an x / step too large
// for a 32-bit integer, convert to the most negative integer (real_to_int.hpp)
// and so take the first window.
TableWindow table_window(const float& x, const float& step, const float& offset, std::size_t table_size);

// The quadratic through the window's three entries of `table`, at x.
float interpolate_window(const float& x, const TableWindow& window, std::span<const float> table);

}  // namespace numerics
