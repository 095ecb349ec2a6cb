#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "numerics/angles.hpp"
#include "numerics/bessel.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/interpolation.hpp"
#include "numerics/quadrature.hpp"
#include "numerics/real_to_int.hpp"

namespace {

using numerics::ALGIP;
using numerics::BESJ;
using numerics::GAMI;

TEST(TruncToInt32, TruncatesTowardZeroAndFlagsWhatDoesNotFit) {
  constexpr auto bad = numerics::invalid_integer;
  struct Case {
    double value;
    std::int32_t expected;
  };
  // clang-format off
  const Case cases[] = {
      {2.9, 2}, {-2.9, -2}, {0.5, 0}, {-0.9, 0}, {2147483647.0, 2147483647},
      {-2147483648.0, bad}, {2147483648.0, bad}, {-2147483649.0, bad},
      {std::numeric_limits<double>::quiet_NaN(), bad}, {INFINITY, bad}, {-INFINITY, bad},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(numerics::trunc_to_int32(c.value), c.expected) << c.value;
}

TEST(CheckedMath, DomainErrorsOnlyBelowZero) {
  EXPECT_THROW(numerics::checked_sqrt(-1e-300), numerics::DomainError);
  EXPECT_THROW(numerics::checked_log(-1.0), numerics::DomainError);
  EXPECT_TRUE(std::signbit(numerics::checked_sqrt(-0.0)));
  EXPECT_TRUE(std::isnan(numerics::checked_sqrt(NAN)));
  EXPECT_EQ(numerics::checked_log(0.0), -INFINITY);
  EXPECT_TRUE(std::isnan(numerics::checked_log(NAN)));
}

TEST(ALGIP, SmallPointCounts) {
  const float xa[] = {0.0f, 0.04f, 0.08f};
  const float ya[] = {1.61634f, 1.617532f, 1.621152f};
  EXPECT_EQ(ALGIP(0.5f, xa, ya, 0), 0.0f);
  EXPECT_EQ(ALGIP(0.5f, xa, ya, -3), 0.0f);
  EXPECT_EQ(ALGIP(123.0f, xa, ya, 1), ya[0]);
  // Straight line through (0, 1.61634) and (0.04, 1.617532), at 0.02 and extrapolated at 0.08.
  EXPECT_NEAR(ALGIP(0.02f, xa, ya, 2), 1.616936f, 1e-6f);
  EXPECT_NEAR(ALGIP(0.08f, xa, ya, 2), 1.618724f, 1e-6f);
  EXPECT_NEAR(ALGIP(0.02f, xa, ya, 3), 1.616633f, 5e-7f);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ALGIP(xa[i], xa, ya, 3), ya[i]);
}

// Published values (Abramowitz and Stegun, tables 9.1); the series and the
// asymptotic form carry a few units of the seventh digit of single precision.
// The window of a table of `size` entries at step 0.02 (offset 1.1, as the
// gain table) or 0.04 (offset 1, as the beamwidth tables): never before the
// first entry, never past the last full window, NaN held at the start.
TEST(TableWindow, StaysInsideTheTable) {
  struct Case {
    float x, step, offset;
    std::size_t size;
    std::int32_t middle;
  };
  // clang-format off
  const Case cases[] = {
      {0.0f, 0.02f, 1.1f, 41, 1},    {0.05f, 0.02f, 1.1f, 41, 3},  {0.79f, 0.02f, 1.1f, 41, 39},
      {0.80f, 0.02f, 1.1f, 41, 39},  {5.0f, 0.02f, 1.1f, 41, 39},  {-1.0f, 0.02f, 1.1f, 41, 1},
      {0.0f, 0.04f, 1.0f, 19, 1},    {0.10f, 0.04f, 1.0f, 19, 3},  {0.70f, 0.04f, 1.0f, 19, 17},
      // NaN, and a value too large for an integer, convert to the most
      // negative integer and are held at the start.
      {NAN, 0.04f, 1.0f, 19, 1},     {1e30f, 0.04f, 1.0f, 19, 1},
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto w = numerics::table_window(c.x, c.step, c.offset, c.size);
    EXPECT_EQ(w.middle, c.middle) << c.x;
    EXPECT_EQ(w.x[1], static_cast<float>(double(static_cast<float>(c.middle)) * double(c.step))) << c.x;
  }
  // The quadratic through three entries of a parabola is that parabola, also beyond the end.
  const float parabola[] = {0.0f, 1.0f, 4.0f, 9.0f, 16.0f};  // (x / 0.5)^2 at x = 0.5 j
  const auto end = numerics::table_window(3.0f, 0.5f, 1.0f, 5);
  EXPECT_EQ(end.middle, 3);
  EXPECT_FLOAT_EQ(numerics::interpolate_window(3.0f, end, parabola), 36.0f);
}

TEST(FoldDegrees, WholeTurnsIntoTheHalfOpenCircle) {
  struct Case {
    double in, out;
  };
  const Case cases[] = {{45.0, 45.0},    {180.0, 180.0}, {-180.0, -180.0}, {190.0, -170.0},
                        {-190.0, 170.0}, {360.0, 0.0},   {540.0, 180.0},   {-725.0, -5.0}};
  for (const auto& c : cases) EXPECT_EQ(numerics::fold_degrees(c.in), c.out) << c.in;
  EXPECT_TRUE(std::isnan(numerics::fold_degrees(NAN)));
  EXPECT_TRUE(std::isnan(numerics::fold_degrees(INFINITY)));
}

TEST(BESJ, PublishedValues) {
  struct Case {
    float x, order;
    double expected;
  };
  // clang-format off
  const Case cases[] = {
      {0.0f, 0.0f, 1.0}, {0.0f, 1.0f, 0.0}, {0.0f, 2.0f, 0.0},
      {6.0f, 0.0f, 0.1506452}, {6.0f, 1.0f, -0.2766839}, {6.0f, 2.0f, -0.2428732},
      {1.84118f, 0.0f, 0.3160305}, {1.84118f, 1.0f, 0.5818653}, {1.84118f, 2.0f, 0.3160269},
      {10.0f, 0.0f, -0.2459358}, {10.0f, 2.0f, 0.2546303},
      {std::nextafter(6.0f, 7.0f), 0.0f, 0.1506452}, {3.0f, 1.0f, 0.3390590},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_NEAR(BESJ(c.x, c.order), c.expected, 1.5e-6) << c.x << " " << c.order;
  EXPECT_EQ(BESJ(0.0f, 0.0f), 1.0f);
  EXPECT_EQ(BESJ(0.0f, 2.0f), 0.0f);
  EXPECT_TRUE(std::isnan(BESJ(NAN, 0.0f)));
}

// BESJ_each runs many series side by side; every value must carry BESJ's
// bits, on both sides of the switch at 6, at 0, for negative and non-finite
// arguments, and in batches longer than one pass.
TEST(BESJ, EachGivesTheBitsOfBESJ) {
  std::vector<float> x;
  for (int i = 0; i < 70; ++i) x.push_back(-3.0f + 0.173f * float(i));  // -3 ... 8.9, batches of 32
  for (float v : {0.0f, -0.0f, 6.0f, 6.0000005f, 1e-30f, 40.0f, NAN, INFINITY}) x.push_back(v);
  for (float order : {0.0f, 1.0f, 2.0f}) {
    std::vector<float> each(x.size());
    numerics::BESJ_each(x, order, each);
    for (std::size_t i = 0; i < x.size(); ++i) {
      const float one = numerics::BESJ(x[i], order);
      if (std::isnan(one)) {
        EXPECT_TRUE(std::isnan(each[i])) << x[i];
      } else {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(each[i]), std::bit_cast<std::uint32_t>(one))
            << "x " << x[i] << ", order " << order;
      }
    }
  }
}

TEST(GAMI, FactorialsPolesAndSeries) {
  struct Case {
    float x;
    double expected;
    double tolerance;
  };
  // clang-format off
  const Case cases[] = {
      {1.0f, 1.0, 0.0}, {2.0f, 1.0, 0.0}, {3.0f, 0.5, 0.0}, {4.0f, 1.0 / 6.0, 1e-8},
      {0.0f, 0.0, 0.0}, {-1.0f, 0.0, 0.0}, {-2.0f, 0.0, 0.0},
      {0.5f, 0.5641896, 1e-7}, {2.5f, 0.7522528, 1e-7}, {5.5f, 0.01910483, 1e-8},
      {-0.5f, -0.2820948, 1e-7}, {-1.5f, 0.4231422, 1e-7}, {-2.5f, -1.057855, 1e-6},
      {33.0f, 0.0, 0.0}, {-40.0f, 0.0, 0.0}, {NAN, 0.0, 0.0},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_NEAR(GAMI(c.x), c.expected, c.tolerance) << c.x;
  EXPECT_NEAR(GAMI(32.5f) / 2.158e-35f, 1.0, 1e-3);
  EXPECT_EQ(numerics::GAM(4.0f), 6.0f);
  EXPECT_EQ(numerics::GAM(0.0f), INFINITY);
}

std::vector<int> orders() { return {3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 32}; }

TEST(GLINA, IntegratesConstantsAndPolynomialsOfDegreeTwoNMinusOne) {
  for (int n : orders()) {
    std::array<float, 2> vector{};
    std::array<float, 2> integrals{};
    // Component 1: 1; component 2: x^(2n-1) on [0, 1], whose integral is 1/(2n).
    auto integrand = [n](std::span<float> v) -> float {
      return v[1] == 1.0f ? 1.0f : static_cast<float>(std::pow(double(v[0]), 2 * n - 1));
    };
    numerics::GLINA(0.0f, 1.0f, vector, integrand, n, integrals, 2);
    EXPECT_NEAR(integrals[0], 1.0f, 4e-7f) << n;
    EXPECT_NEAR(integrals[1], 1.0 / (2 * n), 2e-6) << n;
  }
}

TEST(GLINA, CallOrderOfSixteenPointsAndFourComponents) {
  std::array<float, 4> vector{};
  std::array<float, 4> integrals{};
  std::vector<std::pair<float, float>> calls;
  auto integrand = [&calls](std::span<float> v) {
    calls.emplace_back(v[0], v[1]);
    return 0.0f;
  };
  numerics::GLINA(0.0f, 1.0f, vector, integrand, 16, integrals, 4);
  ASSERT_EQ(calls.size(), 64u);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(calls[k].first, static_cast<float>(0.5 - 0.5 * double(0.0950125f)));
    EXPECT_EQ(calls[k].second, float(k + 1));
    EXPECT_EQ(calls[60 + k].first, static_cast<float>(0.5 + 0.5 * double(0.9894009f)));
    EXPECT_EQ(calls[60 + k].second, float(k + 1));
  }
  for (std::size_t i = 4; i < calls.size(); i += 4) EXPECT_NE(calls[i].first, calls[i - 4].first);
}

TEST(GLINA, OddOrdersVisitTheMidpointLast) {
  std::array<float, 2> vector{};
  std::array<float, 1> integrals{};
  float last = -1.0f;
  numerics::GLINA(
      2.0f, 4.0f, vector, [&last](std::span<float> v) { return last = v[0], 1.0f; }, 5, integrals, 1);
  EXPECT_EQ(last, 3.0f);
  EXPECT_NEAR(integrals[0], 2.0f, 1e-6f);
}

TEST(GLINA, ReversedLimitsGiveTheNegativeIntegral) {
  std::array<float, 2> vector{};
  std::array<float, 1> integrals{};
  auto x = [](std::span<float> v) { return v[0]; };
  numerics::GLINA(1.0f, 0.0f, vector, x, 4, integrals, 1);
  EXPECT_NEAR(integrals[0], -0.5f, 1e-7f);
}

TEST(GLINA, UnsupportedOrdersAndComponentCounts) {
  for (int n : {1, 2, 11, 64, 0, -3}) {
    std::array<float, 2> vector{};
    std::array<float, 3> integrals{7.0f, 7.0f, 7.0f};
    int calls = 0;
    numerics::GLINA(
        0.0f, 1.0f, vector, [&calls](std::span<float>) { return ++calls, 1.0f; }, n, integrals, 3);
    EXPECT_EQ(calls, 0) << n;
    EXPECT_EQ(integrals, (std::array<float, 3>{0.0f, 0.0f, 0.0f})) << n;
  }
  std::array<float, 2> vector{};
  std::array<float, 1> integrals{7.0f};
  int calls = 0;
  auto count = [&calls](std::span<float>) { return ++calls, 1.0f; };
  numerics::GLINA(0.0f, 1.0f, vector, count, 16, integrals, 0);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(integrals[0], 7.0f);
}

TEST(GLINA, TableSamples) {
  namespace gl = numerics::gauss_legendre;
  EXPECT_EQ(gl::nodes[0], 0.7745967f);
  EXPECT_EQ(gl::weights[0], 0.8888889f);
  EXPECT_EQ(gl::weights[1], 0.5555556f);
  EXPECT_EQ(gl::nodes[gl::node_offsets[9]], 0.0950125f);
  EXPECT_EQ(gl::weights[gl::weight_offsets[9]], 0.1894506f);
  EXPECT_EQ(gl::nodes[gl::node_offsets[9] + 7], 0.9894009f);
  EXPECT_EQ(gl::weights[gl::weight_offsets[9] + 7], 0.02715246f);
  // Weights of every order sum to 2 on [-1, 1].
  for (std::size_t i = 0; i < gl::supported_orders.size(); ++i) {
    const int n = gl::supported_orders[i];
    double sum = 0.0;
    const int odd = n % 2;
    if (odd) sum += gl::weights[gl::weight_offsets[i]];
    for (int j = 0; j < n / 2; ++j) sum += 2.0 * gl::weights[gl::weight_offsets[i] + odd + j];
    EXPECT_NEAR(sum, 2.0, 1e-6) << n;
  }
}

}  // namespace
