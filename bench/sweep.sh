#!/usr/bin/env bash
# Times the built program end to end on the long sweep (5 to 40 GHz at
# 0.1 MHz: 350,001 rows; console to /dev/null, report to a file) and prints
# rows per second and peak memory, then the same for the tenth as long sweep
# so that the two peaks can be compared. Given a second program that reads
# the same answers, times both side by side, alternately, and prints the
# median of each and their ratio.
#   bench/sweep.sh [path/to/veskal [path/to/other-program [runs]]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
veskal=$(realpath "${1:-$here/../build/default/console/veskal}")
other=${2:+$(realpath "$2")}
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seconds of one run of $1 on the answers $2 (one core).
seconds() {
  local start end
  start=$(date +%s.%N)
  (cd "$work" && taskset -c 0 "$1" < "$2" > /dev/null)
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

if [ -n "$other" ]; then
  for answers in long-sweep.answers short-sweep.answers; do
    : > "$work/a"; : > "$work/b"
    for _ in $(seq "$runs"); do
      seconds "$veskal" "$here/$answers" >> "$work/a"
      seconds "$other" "$here/$answers" >> "$work/b"
    done
    a=$(median < "$work/a"); b=$(median < "$work/b")
    awk -v a="$a" -v b="$b" -v n="$answers" -v r="$runs" \
      'BEGIN { printf "%-20s median of %d: veskal %.3f s, other %.3f s: %.2f times as fast\n", n, r, a, b, b / a }'
  done
  exit 0
fi

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
