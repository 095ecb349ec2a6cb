// The horn on a reflector: all figures of one horn, frequency and reflector
// from nothing (the pattern set up, the quadrature converged, the best phase
// centre, the cross-polar peak, the phase efficiency at three other centres)
// on the reflector that suits the horn (rim near -11 dB: u = ka sin theta0 =
// 2.6), an f/D table of 100 reflectors (0.25 to 1.24), and the optimum.
// Budgets: 5 ms a reflector, 50 ms a table of 100.
#include <benchmark/benchmark.h>

#include <cmath>

#include "aperture/field.hpp"
#include "reflector/sources.hpp"

namespace {

// A horn of this ka and phase error at 10 GHz, in inches.
horn::HornInInches horn_of(double ka, double s) {
  const double wavelength = aperture::speed_of_light / 10e9 / 0.0254;
  const double a = ka * wavelength / (2.0 * 3.141592653589793);
  return {static_cast<float>(a), static_cast<float>(aperture::slant_radius_for(a, wavelength, s))};
}

std::optional<aperture::Phase> phase_of(std::int64_t model) {
  if (model == 0) return std::nullopt;
  return aperture::Phase::spherical;
}

void rows(reflector::Feed& feed, double half_angle) {
  const auto f = feed.figures(half_angle);
  benchmark::DoNotOptimize(f);
  for (const double centre : {f.phase_centre + 0.1, f.phase_centre - 0.2, 0.5})
    benchmark::DoNotOptimize(feed.phase_efficiency(half_angle, centre));
}

void one_reflector(benchmark::State& state) {
  const auto horn = horn_of(double(state.range(0)), 0.2);
  for (auto _ : state) {
    reflector::Feed feed = reflector::horn_pattern(10.0f, horn, phase_of(state.range(1))).feed();
    rows(feed, std::asin(2.6 / double(state.range(0))));
  }
}
BENCHMARK(one_reflector)
    ->ArgNames({"ka", "spherical"})
    ->ArgsProduct({{8, 20, 60}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void table_of_100(benchmark::State& state) {
  const auto horn = horn_of(double(state.range(0)), 0.2);
  for (auto _ : state) {
    reflector::Feed feed = reflector::horn_pattern(10.0f, horn, phase_of(state.range(1))).feed();
    for (int i = 0; i < 100; ++i) rows(feed, 2.0 * std::atan(1.0 / (4.0 * (0.25 + 0.01 * i))));
  }
}
BENCHMARK(table_of_100)
    ->ArgNames({"ka", "spherical"})
    ->ArgsProduct({{8, 20}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void optimum(benchmark::State& state) {
  const auto horn = horn_of(double(state.range(0)), 0.2);
  for (auto _ : state) {
    reflector::Feed feed = reflector::horn_pattern(10.0f, horn, phase_of(state.range(1))).feed();
    benchmark::DoNotOptimize(feed.optimum());
  }
}
BENCHMARK(optimum)
    ->ArgNames({"ka", "spherical"})
    ->ArgsProduct({{8, 20, 60}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
