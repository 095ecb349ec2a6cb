// The mode-matching engine. The wave followed from the input to the
// aperture (reflection and aperture modes) at 10 GHz with modes below 3 k0
// and 1 mm steps: the corrugated horn of examples/horns (136 uniform
// sections from 67 slots), the same horn at half the pitch (268 sections),
// the smooth cone of examples/horns. Then as the programs run: one
// frequency alone (its steps and K_max settled for the 5e-3 target at that
// frequency, then its wave and all its figures) of a 300-section corrugated
// horn and of the smooth cone; one frequency of a band settled at 12 GHz;
// and a whole band of 101 frequencies from 8 to 12 GHz, settling included.
// Budgets: 20 ms a frequency of a 300-section corrugated horn, 2 s a
// 101-frequency band, 5 ms a frequency of the smooth cone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/heap.hpp"
#include "modal/band.hpp"
#include "modal/figures.hpp"
#include "modal/horn.hpp"

namespace {

std::vector<modal::ProfilePoint> example(const char* name) {
  std::ifstream in(std::string(VESKAL_SOURCE_DIR) + "/examples/horns/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return modal::read_profile(text.str(), 1e-3);
}

// The corrugated horn of examples/horns at another pitch (0.5 mm ridges,
// the rest slot): 1.5 mm gives 270 sections, 200/149 mm 300.
std::vector<modal::ProfilePoint> corrugated_at(double pitch) {
  const double b0 = 11.9, a_ap = 48.0, flare = 200.0, ridge = 0.5;
  const int periods = static_cast<int>(std::lround(flare / pitch)), converter = 12;
  std::vector<modal::ProfilePoint> p = {{0.0, b0}, {20.0, b0}};
  double z = 20.0;
  for (int i = 0; i < periods; ++i) {
    const double r = b0 + (a_ap - b0) * i / periods;
    const double d = i < converter ? 15.0 + (9.5 - 15.0) * i / converter : 9.5;
    p.insert(p.end(), {{z, r}, {z + ridge, r}, {z + ridge, r + d}, {z + pitch, r + d}});
    z += pitch;
  }
  p.insert(p.end(), {{z, a_ap}, {z + ridge, a_ap}});
  for (auto& q : p) q = {q.z * 1e-3, q.radius * 1e-3};
  return p;
}
std::vector<modal::ProfilePoint> half_pitch() { return corrugated_at(1.5); }

void follow(benchmark::State& state, const std::vector<modal::ProfilePoint>& profile) {
  const double k0 = 2.0 * M_PI * 10e9 / 299792458.0;
  const auto sections = modal::staircase(profile, 1e-3, 2.5e-4);
  state.counters["sections"] = double(sections.size());
  for (auto _ : state) benchmark::DoNotOptimize(modal::follow_wave(sections, k0, 3.0 * k0));
}

void corrugated(benchmark::State& state) { follow(state, example("corrugated-x-band.profile")); }
void corrugated_half_pitch(benchmark::State& state) { follow(state, half_pitch()); }
void conical(benchmark::State& state) { follow(state, example("conical-x-band.profile")); }
// One frequency of a band settled at 12 GHz: the wave and all its figures.
void band_frequency(benchmark::State& state, const std::vector<modal::ProfilePoint>& profile) {
  const modal::Band band(profile, 12.0);
  state.counters["sections"] = double(band.sections());
  state.counters["K_max/k0"] = band.largest_cutoff() / modal::wavenumber(12.0);
  for (auto _ : state) {
    const auto wave = band.wave(10.0);
    benchmark::DoNotOptimize(modal::figures(wave, modal::wavenumber(10.0)));
  }
}

// One frequency with its converged steps and modes (settled for the 5e-3
// target at that frequency): its wave and all its figures.
void one_frequency(benchmark::State& state, const std::vector<modal::ProfilePoint>& profile) {
  const modal::Band band(profile, 10.0);
  state.counters["sections"] = double(band.sections());
  state.counters["K_max/k0"] = band.largest_cutoff() / modal::wavenumber(10.0);
  for (auto _ : state) benchmark::DoNotOptimize(modal::figures(band.wave(10.0), modal::wavenumber(10.0)));
}
// Settling those steps and modes (the refinements that show them converged).
void settling(benchmark::State& state, const std::vector<modal::ProfilePoint>& profile) {
  for (auto _ : state) benchmark::DoNotOptimize(modal::Band(profile, 10.0));
}

// A band of 101 frequencies from 8 to 12 GHz, settling included.
void whole_band(benchmark::State& state, const std::vector<modal::ProfilePoint>& profile) {
  for (auto _ : state) {
    const modal::Band band(profile, 12.0);
    for (int i = 0; i <= 100; ++i) {
      const double f = 8.0 + 0.04 * i;
      const auto wave = band.wave(f);
      if (modal::radiation_holds(wave.aperture.radius, modal::wavenumber(f)))
        benchmark::DoNotOptimize(modal::figures(wave, modal::wavenumber(f)));
    }
  }
}

void corrugated_band_frequency(benchmark::State& state) {
  band_frequency(state, example("corrugated-x-band.profile"));
}
void corrugated_half_pitch_band_frequency(benchmark::State& state) { band_frequency(state, half_pitch()); }
void conical_band_frequency(benchmark::State& state) {
  band_frequency(state, example("conical-x-band.profile"));
}
void corrugated_300_one_frequency(benchmark::State& state) {
  one_frequency(state, corrugated_at(200.0 / 149));
}
void conical_one_frequency(benchmark::State& state) {
  one_frequency(state, example("conical-x-band.profile"));
}
void corrugated_300_settling(benchmark::State& state) { settling(state, corrugated_at(200.0 / 149)); }
void conical_settling(benchmark::State& state) { settling(state, example("conical-x-band.profile")); }
void corrugated_whole_band(benchmark::State& state) {
  whole_band(state, example("corrugated-x-band.profile"));
}

BENCHMARK(corrugated)->Unit(benchmark::kMillisecond);
BENCHMARK(corrugated_300_one_frequency)->Unit(benchmark::kMillisecond);
BENCHMARK(conical_one_frequency)->Unit(benchmark::kMillisecond);
BENCHMARK(corrugated_300_settling)->Unit(benchmark::kMillisecond);
BENCHMARK(conical_settling)->Unit(benchmark::kMillisecond);
BENCHMARK(corrugated_band_frequency)->Unit(benchmark::kMillisecond);
BENCHMARK(corrugated_half_pitch_band_frequency)->Unit(benchmark::kMillisecond);
BENCHMARK(conical_band_frequency)->Unit(benchmark::kMillisecond);
BENCHMARK(corrugated_whole_band)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(corrugated_half_pitch)->Unit(benchmark::kMillisecond);
BENCHMARK(conical)->Unit(benchmark::kMillisecond);

}  // namespace

// The engine's heap kept between frequencies, as the programs keep it.
int main(int argc, char** argv) {
  cli::keep_freed_heap();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
