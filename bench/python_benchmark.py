#!/usr/bin/env python3
"""The Python module's cost against the C++ loop: the classic
characteristics of the 7.5 in x 15 in horn at the same 100,000 frequencies,
by one veskal.characteristics call (arrays of every column included) and by
sweep_loop_benchmark (compute_row in a C++ loop). Prints both and their
ratio; exits 1 when the call costs more than 1.2 times the loop.

    cmake --preset bench && cmake --build --preset bench
    PYTHONPATH=build/bench/python python3 bench/python_benchmark.py build/bench/bench/sweep_loop_benchmark
"""
import json
import subprocess
import sys
import time

import numpy as np

import veskal

loop = json.loads(subprocess.run([sys.argv[1], '--benchmark_format=json'], check=True,
                                 capture_output=True, text=True).stdout)
cpp_ms = min(b['real_time'] for b in loop['benchmarks'])

horn = veskal.Horn(aperture_diameter=7.5, slant_radius=15)
frequencies = (np.float32(8.0) + np.float32(4.0) * np.arange(100000, dtype=np.float32) / np.float32(100000.0))
times = []
for _ in range(7):
    started = time.perf_counter()
    veskal.characteristics(horn, frequencies)
    times.append((time.perf_counter() - started) * 1e3)
python_ms = min(times)
ratio = python_ms / cpp_ms
print(f'C++ loop {cpp_ms:.1f} ms, Python call {python_ms:.1f} ms (best of 7): ratio {ratio:.3f}')
sys.exit(0 if ratio <= 1.2 else 1)
