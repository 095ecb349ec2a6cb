// The aperture engine: all figures of one frequency (directivity over the
// sphere, both planes' 3 dB and 10 dB widths, both phase centres) for horns
// up to ka = 60 and s = 0.8, with each aperture phase. The engine's budget is
// 2 ms a frequency.
#include <benchmark/benchmark.h>

#include <numbers>
#include <utility>

#include "aperture/figures.hpp"
#include "solver/solver.hpp"

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

// One design of veskal-design at 10 GHz: the shortest horn for 22 dB, or for a
// mean 10 dB beamwidth of 30 degrees, in each model (budgets: 10 ms classic,
// 300 ms engine).
void design_horn(benchmark::State& state) {
  design::Problem p{};
  p.frequency = 10.0f;
  p.quantity = state.range(0) == 0 ? design::Quantity::gain : design::Quantity::beamwidth_10db;
  p.value = state.range(0) == 0 ? 22.0 : 30.0;
  p.model = static_cast<design::Model>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(design::solve(p));
}
BENCHMARK(design_horn)
    ->ArgNames({"beamwidth", "model"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
