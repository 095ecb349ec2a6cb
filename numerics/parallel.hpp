// A loop over independent items on up to `threads` threads (item i on thread
// i mod threads, so that which thread takes an item never changes what it
// computes); the first exception a thread met is thrown again when all have
// ended.
#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace numerics {

// The processor's cores (at least one).
inline unsigned cores() { return std::max(1u, std::thread::hardware_concurrency()); }

template <class Body>
void parallel_for(std::size_t count, unsigned threads, Body body) {
  const std::size_t workers = std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(1, count));
  std::vector<std::exception_ptr> failures(workers);
  auto work = [&](std::size_t w) {
    try {
      for (std::size_t i = w; i < count; i += workers) body(i);
    } catch (...) {
      failures[w] = std::current_exception();
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(workers - 1);
  for (std::size_t w = 1; w < workers; ++w) pool.emplace_back(work, w);
  work(0);
  for (std::thread& t : pool) t.join();
  for (const auto& f : failures)
    if (f) std::rethrow_exception(f);
}

}  // namespace numerics
