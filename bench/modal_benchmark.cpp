// The mode-matching engine: one frequency (10 GHz) of the corrugated horn of
// examples/horns (136 uniform sections from 67 slots; modes below 3 k0, up
// to 21 in the widest guide), of the same horn at half the pitch (270
// sections), and of the smooth cone of examples/horns; the wave followed
// from the input to the aperture (reflection and aperture modes). Budgets:
// 20 ms a frequency of a 300-section corrugated horn, 5 ms of the smooth
// cone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "modal/horn.hpp"

namespace {

std::vector<modal::ProfilePoint> example(const char* name) {
  std::ifstream in(std::string(VESKAL_SOURCE_DIR) + "/examples/horns/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return modal::read_profile(text.str(), 1e-3);
}

// The corrugated horn of examples/horns at half its pitch (1.5 mm: 0.5 mm
// ridges, 1 mm slots): twice the slots, 270 sections.
std::vector<modal::ProfilePoint> half_pitch() {
  const double b0 = 11.9, a_ap = 48.0, flare = 200.0, pitch = 1.5, ridge = 0.5;
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

void follow(benchmark::State& state, const std::vector<modal::ProfilePoint>& profile) {
  const double k0 = 2.0 * M_PI * 10e9 / 299792458.0;
  const auto sections = modal::staircase(profile, 1e-3, 2.5e-4);
  state.counters["sections"] = double(sections.size());
  for (auto _ : state) benchmark::DoNotOptimize(modal::follow_wave(sections, k0, 3.0 * k0));
}

void corrugated(benchmark::State& state) { follow(state, example("corrugated-x-band.profile")); }
void corrugated_half_pitch(benchmark::State& state) { follow(state, half_pitch()); }
void conical(benchmark::State& state) { follow(state, example("conical-x-band.profile")); }
BENCHMARK(corrugated)->Unit(benchmark::kMillisecond);
BENCHMARK(corrugated_half_pitch)->Unit(benchmark::kMillisecond);
BENCHMARK(conical)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
