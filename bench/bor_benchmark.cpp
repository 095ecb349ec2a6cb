// The horn with its outside (bor/horn.hpp): one frequency of the choke-ring
// feed of examples/horns at 11.7 GHz, the wave coupled to the outside and
// then every figure; the same for the README's cone (7.5 in aperture, 15 in
// slant radius from a 1 in waveguide, thin wall) at 10 GHz; and a band of
// 101 frequencies of the choke-ring feed from 10.7 to 12.7 GHz, settling
// included. Budgets asked: 20 ms a frequency of the choke-ring feed, 100 ms
// one of the README's horn, 2 s the band. The cost grows as the square of
// the outline's length in wavelengths (the matrix's fill) while the solve,
// its cube, stays below it up to a few hundred unknowns.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "bor/horn.hpp"
#include "modal/band.hpp"
#include "modal/horn.hpp"

namespace {

struct Example {
  std::vector<modal::ProfilePoint> wall, outside;
};

Example example(const char* name) {
  std::ifstream in(std::string(VESKAL_SOURCE_DIR) + "/examples/horns/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return {modal::read_profile(text.str(), 1e-3), modal::read_outside(text.str(), 1e-3)};
}

void figures_at(benchmark::State& state, const std::vector<modal::ProfilePoint>& wall,
                const std::vector<modal::ProfilePoint>& outside, double frequency) {
  modal::Band band(wall, frequency);
  for (auto _ : state) {
    const bor::CoupledWave c = bor::coupled_wave(band, outside, frequency);
    benchmark::DoNotOptimize(bor::figures(c, frequency));
  }
}

void ChokeRingFrequency(benchmark::State& state) {
  const Example e = example("choke-ring-ku.profile");
  figures_at(state, e.wall, e.outside, 11.7);
}
BENCHMARK(ChokeRingFrequency)->Unit(benchmark::kMillisecond);

void ReadmeHornFrequency(benchmark::State& state) {
  constexpr double in = 0.0254;
  // 7.5 in aperture, 15 in slant radius: axial length from the 1 in guide.
  const double a = 3.75 * in, b = 0.5 * in, slant = 15.0 * in;
  const double half_angle = std::asin(a / slant), axial = (a - b) / std::tan(half_angle);
  figures_at(state, modal::cone_from_guide(b, a, axial), {}, 10.0);
}
BENCHMARK(ReadmeHornFrequency)->Unit(benchmark::kMillisecond);

void ChokeRingBand(benchmark::State& state) {
  const Example e = example("choke-ring-ku.profile");
  for (auto _ : state) {
    modal::Band band(e.wall, 12.7);
    for (int i = 0; i <= 100; ++i) {
      const double f = 10.7 + 0.02 * i;
      const bor::CoupledWave c = bor::coupled_wave(band, e.outside, f);
      benchmark::DoNotOptimize(bor::figures(c, f));
    }
  }
}
BENCHMARK(ChokeRingBand)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
