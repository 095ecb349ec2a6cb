// The classic characteristics of one horn at 100,000 frequencies, computed
// row by row in C++ as veskal-sweep computes them: the loop that the Python
// module's one array call is measured against (bench/python_benchmark.py).
#include <benchmark/benchmark.h>

#include <vector>

#include "cli/options.hpp"
#include "tables/sweep_table.hpp"

namespace {

void classic_rows(benchmark::State& state) {
  cli::HornOptions options;
  options.aperture_diameter = 7.5f;
  options.slant_radius = 15.0f;
  const horn::Horn horn = cli::horn_from(options);
  std::vector<float> frequencies;
  frequencies.reserve(100000);
  for (int i = 0; i < 100000; ++i) frequencies.push_back(8.0f + 4.0f * static_cast<float>(i) / 100000.0f);
  std::vector<sweep::Row> rows;
  rows.reserve(frequencies.size());
  for (auto _ : state) {
    rows.clear();
    for (const float f : frequencies) rows.push_back(sweep::compute_row(horn, f, std::nullopt));
    benchmark::DoNotOptimize(rows.data());
  }
}

BENCHMARK(classic_rows)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
