#!/usr/bin/env bash
# veskal-pattern as a process: the SVG is well-formed and renders, bad input
# gets a one-line message and its exit status, and nothing half-written is
# left at --output.
#   tests/pattern_cli.sh path/to/veskal-pattern
set -u
tool=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
horn=(--frequency 10 --aperture-diameter 6 --slant-radius 24)

"$tool" "${horn[@]}" --format svg --output plot.svg || fail "svg run"
"${XMLLINT:-xmllint}" --noout plot.svg || fail "svg not well-formed"
"${RSVG_CONVERT:-rsvg-convert}" plot.svg -o plot.png 2> err && [ -s plot.png ] || fail "svg does not render: $(cat err)"
grep -q 'E plane' plot.svg && grep -q 'H plane' plot.svg || fail "legend missing"

"$tool" --frequency 10 --aperture-diameter 60 --slant-radius 240 --model classic --unit mm --from 0 --to 10 --step 5 > table.csv || fail "csv run"
[ "$(wc -l < table.csv)" -eq 4 ] || fail "csv rows"
"$tool" --version | grep -qx 'veskal-pattern [0-9.]*' || fail "--version"
"$tool" --help > help.txt && grep -q -- '--phase-reference' help.txt || fail "--help"

# status, expected words, arguments...
expect() {
  local status=$1 words=$2; shift 2
  "$tool" "$@" > out 2> err
  local got=$?
  [ $got -eq "$status" ] || fail "$* -> status $got, expected $status"
  [ "$(wc -l < err)" -eq 1 ] || fail "$* -> message of $(wc -l < err) lines"
  grep -q -- "$words" err || fail "$* -> message '$(cat err)' lacks '$words'"
}
expect 2 --frequency --aperture-diameter 6 --slant-radius 24
expect 2 --frequency --frequency 0 --aperture-diameter 6 --slant-radius 24
expect 2 --frequency --frequency abc --aperture-diameter 6 --slant-radius 24
expect 2 --aperture-diameter --frequency 10 --aperture-diameter -6 --slant-radius 24
expect 2 --slant-radius --frequency 10 --aperture-diameter 6
expect 2 --cone-angle --frequency 10 --aperture-diameter 6 --slant-radius 24 --cone-angle 10
expect 2 --slant-radius --frequency 10 --aperture-diameter 6 --slant-radius 2
expect 2 --cone-angle --frequency 10 --aperture-diameter 6 --cone-angle 95
expect 2 --unit --frequency 10 --aperture-diameter 6 --slant-radius 24 --unit ft
expect 2 --step "${horn[@]}" --step 0
expect 2 --to "${horn[@]}" --from 10 --to 5
expect 2 --format "${horn[@]}" --format png
expect 2 --phase-reference "${horn[@]}" --phase-reference apex
expect 2 --model "${horn[@]}" --model exact

# The engine's pattern: a table, and a picture with both models' figures.
for model in quadratic spherical; do
  "$tool" "${horn[@]}" --model $model --format svg --output $model.svg || fail "--model $model svg"
  "${XMLLINT:-xmllint}" --noout $model.svg || fail "--model $model svg not well-formed"
  grep -q "classic / engine" $model.svg || fail "--model $model: legend lacks the two models"
  "$tool" "${horn[@]}" --model $model --to 10 --phase-reference phase-centre > $model.csv || fail "--model $model csv"
  [ "$(wc -l < $model.csv)" -eq 22 ] || fail "--model $model csv rows"
done
# A small aperture (ka 3.2) is drawn with its verdict, and said once on standard error.
"$tool" --frequency 12 --aperture-diameter 1 --slant-radius 1.5 --model spherical --format svg --output small-ka.svg 2> err \
  || fail "small aperture picture"
[ "$(grep -c 'small_aperture' err)" -eq 1 ] && grep -q "outside the model's domain: small_aperture" small-ka.svg \
  || fail "small aperture without its verdict: $(cat err)"
# Beyond the classic beamwidth model the engine still draws the horn.
"$tool" --frequency 8 --aperture-diameter 1 --slant-radius 10 --model spherical --format svg --output engine-small.svg \
  || fail "engine picture of a small horn"
expect 1 "too small in wavelengths" --model classic --frequency 8 --aperture-diameter 1 --slant-radius 10 --format svg --output small.svg
! ls small.svg* > /dev/null 2>&1 || fail "a failed run left its output"
echo old > kept.svg
expect 1 "too small in wavelengths" --model classic --frequency 8 --aperture-diameter 1 --slant-radius 10 --format svg --output kept.svg
[ "$(cat kept.svg)" = old ] && [ "$(ls kept.svg* | wc -l)" -eq 1 ] || fail "a failed run touched an existing output"
"$tool" "${horn[@]}" --to 1 --output kept.svg && head -c 9 kept.svg | grep -q angle_deg || fail "--output not replaced"
expect 1 "cannot write" "${horn[@]}" --output no/such/dir/out.csv

[ $failures -eq 0 ] && echo "ok" || exit 1
