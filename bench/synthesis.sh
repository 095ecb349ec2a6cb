#!/usr/bin/env bash
# The design loop's cost: a corrugated design for a 1.35:1 band of 21
# frequencies, a dual-mode design at one frequency, and a tolerance study of
# the corrugated rule's horn (100 samples; 1,000 take ten times as long),
# each timed with the evaluations it made.
#   bench/synthesis.sh [build-folder]   (default: build/bench)
set -euo pipefail
design=${1:-build/bench}/design/veskal-design
run() { local start=$SECONDS; "$design" "$@" --format json > /tmp/veskal-synthesis-bench.json || true
        python3 -c "import json; d = json.load(open('/tmp/veskal-synthesis-bench.json'));
print('%s evaluations, %.1f s' % (d['evaluations'], d['seconds']))"; echo "  (wall $((SECONDS - start)) s)"; }
echo "corrugated, 10.7-14.5 GHz, 21 frequencies:"
run --family corrugated --start 10.7 --stop 14.5 --step 0.19 --edge-taper 15 --half-angle 20 --return-loss 20 \
    --cross-polar -30 --unit mm
echo "potter, 10 GHz:"
run --family potter --frequency 10 --beamwidth-10db 40 --cross-polar -30 --return-loss 25 --unit mm
echo "tolerance, 100 samples of the corrugated rule's horn:"
run --family corrugated --start 10.7 --stop 14.5 --step 0.19 --edge-taper 15 --half-angle 20 --unit mm \
    --evaluations 1 --tolerance 0.02 --samples 100
