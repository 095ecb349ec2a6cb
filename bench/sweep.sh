#!/usr/bin/env bash
# Times the built program end to end on the long sweep (5 to 40 GHz at
# 0.1 MHz: 350,001 rows; console to /dev/null, report to a file) and prints
# rows per second and peak memory, then the same for the tenth as long sweep
# so that the two peaks can be compared.
#   bench/sweep.sh [path/to/veskal]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
veskal=$(realpath "${1:-$here/../build/default/console/veskal}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

measure() {
  local answers=$1 rows=$2
  cd "$work"
  local start end
  start=$(date +%s.%N)
  /usr/bin/env time -f '%M' -o "$work/peak" "$veskal" < "$answers" > /dev/null
  end=$(date +%s.%N)
  local lines
  lines=$(grep -c '^ \{4,\}[0-9]' bench.rep || true)
  awk -v s="$start" -v e="$end" -v r="$rows" -v l="$lines" -v p="$(cat "$work/peak")" -v n="$(basename "$answers")" \
    'BEGIN { t = e - s; printf "%-22s %7d rows in %6.3f s: %8.0f rows/s, peak memory %d KiB\n", n, l, t, r / t, p }'
}

measure "$here/long-sweep.answers" 350001
measure "$here/short-sweep.answers" 35001

# Start to the first prompt: the time of a run that ends at the first answer.
cd "$work"
start=$(date +%s%N)
for i in $(seq 20); do printf '\n' | "$veskal" > /dev/null 2>&1 || true; done
end=$(date +%s%N)
awk -v d="$(( (end - start) / 20 ))" 'BEGIN { printf "start to the first prompt (and end of input): %.2f ms\n", d / 1e6 }'
