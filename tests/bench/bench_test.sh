#!/usr/bin/env bash
# The benchmarks behind scripts/bench still run and print every row of the
# table, each with a measurement. Whether a figure meets its target is not
# looked at: timing is not tested.
#
#   bench_test.sh BUILD-DIR IDLE-SCRIPT
set -uo pipefail
build=$1
idle=$2
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
# expectRows WHAT COUNT FILE: COUNT table rows, none without a measurement.
expectRows() {
    local rows unmeasured
    rows=$(grep -c '^| ' "$3")
    unmeasured=$(grep -E 'not run|did not end|frames missing|not measured' "$3")
    if [ "$rows" = "$2" ] && [ -z "$unmeasured" ]; then
        echo "ok: $1"
    else
        echo "FAIL: $1: $rows rows of $2${unmeasured:+; not measured: $unmeasured}"
        cat "$3"
        failures=$((failures + 1))
    fi
}
run() { # run WHAT COUNT COMMAND...
    if ! "${@:3}" >"$work/rows" 2>"$work/err"; then
        echo "FAIL: $1 ended with an error"
        tail -20 "$work/err"
        failures=$((failures + 1))
    fi
    expectRows "$1" "$2" "$work/rows"
}

run "codec" 7 "$build/bench/stepdrive_bench" --table --benchmark_min_time=0.001
run "line" 6 "$build/bench/stepdrive_line_bench"
run "stepdrive-cli" 8 "$build/bench/stepdrive_cli_bench" 0 "$build/cli/stepdrive-cli" \
    "$build/bench/stepdrive_bare_exchange"
run "start-up" 4 "$build/bench/stepdrive_startup_bench" 1 "$build/app/stepdrive" \
    "$build/bench/stepdrive_bare_window" "$build/bench/stepdrive_hangul_window"

source "$(dirname "$0")/../support/xvfb.sh"
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && startXvfb "$work"; then
    xvfb=$xvfb_pid
    run "idle" 1 "$idle" "$build/app/stepdrive" "$build/sim/stepdrive-sim" 1
else
    xvfb=${xvfb_pid:-}
    echo "skipped: idle (no Xvfb or xdotool)"
fi

echo "$failures failed"
[ $failures -eq 0 ]
