// The aperture engine: all figures of one frequency (directivity over the
// sphere, both planes' 3 dB and 10 dB widths, both phase centres) for horns
// up to ka = 60 and s = 0.8, with each aperture phase. The engine's budget is
// 2 ms a frequency.
#include <benchmark/benchmark.h>

#include <numbers>
#include <utility>

#include "aperture/figures.hpp"

namespace {

void figures(benchmark::State& state) {
  const double ka = double(state.range(0));
  const double s = double(state.range(1)) / 100.0;
  const auto phase = state.range(2) == 0 ? aperture::Phase::quadratic : aperture::Phase::spherical;
  const double wavelength = aperture::speed_of_light / 10e9;
  const double a = ka * wavelength / (2.0 * std::numbers::pi);
  const double slant = s > 0.0 ? a * a / (2.0 * wavelength * s) : 1e9 * a;
  for (auto _ : state) {
    const aperture::Aperture horn({a, slant, 10.0}, phase);
    benchmark::DoNotOptimize(aperture::figures(horn));
  }
}
// s is at most ka / (4 pi) for a real cone (slant radius at least the aperture radius).
void horns(benchmark::internal::Benchmark* b) {
  b->ArgNames({"ka", "s_percent", "spherical"});
  for (const auto& [ka, s] :
       {std::pair{5, 0}, {5, 39}, {20, 0}, {20, 40}, {20, 80}, {60, 0}, {60, 40}, {60, 80}})
    for (int spherical : {0, 1}) b->Args({ka, s, spherical});
}
BENCHMARK(figures)->Apply(horns)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
