// Per-row work of the sweep (HCWBW, CHNGN, CHPCE) over a spread of horns and
// frequencies, in ns per row.
#include <benchmark/benchmark.h>

#include <vector>

#include "horn/beamwidth.hpp"
#include "horn/gain.hpp"
#include "horn/phase_centre.hpp"

namespace {

struct Horn {
  float aperture_radius, slant_radius;
};

void per_row(benchmark::State& state) {
  const std::vector<Horn> horns = {{5.0f, 25.0f}, {3.0f, 12.0f}, {2.0f, 6.0f}, {2.5f, 40.0f}, {8.0f, 60.0f}};
  std::vector<float> frequencies;
  for (float f = 10.0f; f <= 40.0f; f += 0.37f) frequencies.push_back(f);
  std::size_t rows = 0;
  for (auto _ : state) {
    for (const Horn& h : horns) {
      for (const float& f : frequencies) {
        float e3, h3, e10, h10, gain, e_centre, h_centre;
        horn::HCWBW(f, h.aperture_radius, h.slant_radius, e3, h3, e10, h10);
        horn::CHNGN(f, h.aperture_radius, h.slant_radius, gain);
        horn::CHPCE(f, h.aperture_radius, h.slant_radius, e10, e_centre, h10, h_centre);
        benchmark::DoNotOptimize(gain);
        benchmark::DoNotOptimize(e_centre);
        benchmark::DoNotOptimize(h_centre);
        ++rows;
      }
    }
  }
  // Inverted rate of rows * 1e-9: nanoseconds per row.
  state.counters["ns_per_row"] = benchmark::Counter(
      static_cast<double>(rows) * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(per_row)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
