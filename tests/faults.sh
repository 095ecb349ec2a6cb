#!/usr/bin/env bash
# Faults a user meets, each run on the built program as a process.
#   tests/faults.sh CASE path/to/veskal path/to/example-folder
set -u
case_name=$1
veskal=$(realpath "$2")
example=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL ($case_name): $*"; exit 1; }

# A sweep long enough to be interrupted: 3.5 million rows.
long_answers() { printf 'report.txt\n1\n10\n1\n25\n5 40 0.00001\n0 0 0\n'; }

case $case_name in
  full-disk)
    [ -w /dev/full ] || { echo "no /dev/full here: skipped"; exit 0; }
    printf '/dev/full\n1\n6\n1\n24\n10 10 1\n0 0 0\n' | "$veskal" > out 2> err
    status=$?
    [ $status -eq 38 ] || fail "exit status $status, expected 38"
    grep -qx 'veskal: severe (38): error during write, unit 66, file /dev/full' err || fail "diagnostic: $(cat err)"
    ! grep -q 'Stop - Program terminated' out || fail "reported as success"
    ;;
  killed-mid-sweep)
    long_answers > answers
    "$veskal" < answers > out 2> err &
    pid=$!
    for _ in $(seq 100); do
      [ -f report.txt ] && [ "$(grep -c '^ *[0-9]' report.txt)" -gt 2000 ] && break
      sleep 0.05
    done
    kill -KILL $pid
    wait $pid 2>/dev/null
    rows=$(grep -c $'^ *[0-9].*\r$' report.txt)
    [ "$rows" -gt 2000 ] || fail "only $rows rows before the kill"
    # Whole CR LF lines only.
    [ "$(tail -c 2 report.txt | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the report ends inside a line"
    [ "$(grep -c $'\r$' report.txt)" -eq "$(wc -l < report.txt)" ] || fail "a line without CR LF"
    # Every row the console showed is in the report, in the same place.
    row='^ +[0-9]+\.[0-9]{4} '
    grep -E "$row" out | head -n -1 | sed 's/^/ /' > shown
    grep -E "$row" report.txt | tr -d '\r' | head -n "$(wc -l < shown)" > kept
    cmp -s shown kept || fail "console rows missing from the report"
    ;;
  broken-pipe)
    long_answers > answers
    timeout 20 bash -c "'$veskal' < answers | head -c 1000 > /dev/null"
    status=$?
    [ $status -ne 124 ] || fail "the run went on after its reader had gone"
    ;;
  closed-stdout)
    timeout 20 "$veskal" < "$example/answers" >&- 2> err
    status=$?
    [ $status -eq 0 ] || fail "exit status $status: $(cat err)"
    cmp -s report.txt "$example/expected-report" || fail "report differs"
    ;;
  long-lines)
    # Several megabytes of blanks before an answer, of digits in one, and of
    # name beyond the 70 characters that count.
    name=$(printf 'report%064d' 0)
    {
      printf '%s' "$name"; head -c 3000000 /dev/zero | tr '\0' x; printf '\n'
      head -c 5000000 /dev/zero | tr '\0' ' '; printf '1\n'
      head -c 4000000 /dev/zero | tr '\0' 0; printf '6\n1\n24\n10 10 1\n0 0 0\n'
    } > answers
    timeout 60 "$veskal" < answers > out 2> err
    status=$?
    [ $status -eq 0 ] || fail "exit status $status: $(cat err)"
    [ -f "$name" ] || fail "report file not named by the first 70 characters"
    grep -q 'Aperture Diameter:   6.000' "$name" || fail "aperture not read"
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "ok ($case_name)"
