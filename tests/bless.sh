#!/usr/bin/env bash
# Records the expected files of a session folder by running the built program
# on its answers (see run_session.cmake for the folder's files). Check the
# values it records before committing them.
#   tests/bless.sh build/default/console/veskal examples/sgh-inches [...]
set -euo pipefail
veskal=$(realpath "$1"); shift
for dir in "$@"; do
  dir=$(realpath "$dir")
  work=$(mktemp -d)
  [ -f "$dir/prior-report" ] && cp "$dir/prior-report" "$work/report.txt"
  args=()
  [ -f "$dir/arguments" ] && mapfile -t args < "$dir/arguments"
  set +e
  (cd "$work" && "$veskal" "${args[@]}" < "$dir/answers" > "$dir/expected-console" 2> "$work/stderr")
  echo $? > "$dir/expected-status"
  set -e
  rm -f "$dir/expected-stderr" "$dir/expected-report"
  [ -s "$work/stderr" ] && cp "$work/stderr" "$dir/expected-stderr"
  if [ -f "$work/report.txt" ] && { [ -s "$work/report.txt" ] || [ -f "$dir/prior-report" ]; }; then
    cp "$work/report.txt" "$dir/expected-report"
  fi
  rm -rf "$work"
  echo "$dir: status $(cat "$dir/expected-status")"
done
