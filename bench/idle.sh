#!/usr/bin/env bash
# The idle cost of the shipped program: stepdrive on the X server of DISPLAY,
# connected to stepdrive-sim through its dialog (real clicks, xdotool), then
# left alone; its CPU time over SECONDS (default 10), all threads, from
# /proc/<pid>/stat (clock ticks) and, where the kernel keeps it, the
# scheduler's run time of each thread (/proc/<pid>/task/*/sched, in ns).
# Prints the idle row of the scripts/bench table.
#
#   idle.sh STEPDRIVE STEPDRIVE-SIM [SECONDS]
set -uo pipefail
app=$1
sim=$2
seconds=${3:-10}

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
row() { echo "| idle: CPU time in $seconds s with the line open | $1 | 0: no polling | | < 10 ms | $2 |"; }
give_up() {
    echo "idle: $*" >&2
    row "not measured: $*" MISSED
    exit 1
}

"$sim" >"$work/sim.out" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
device=$(head -1 "$work/sim.out")
[ -n "$device" ] || give_up "stepdrive-sim did not start"

for name in $(compgen -e | grep '^STEPDRIVE_'); do unset "$name"; done
# The dialog's probe touches no serial device of the machine.
for n in $(seq 10); do export "STEPDRIVE_COM$n=/nonexistent/stepdrive-COM$n"; done
export STEPDRIVE_SERIAL_DEVICES=
export XDG_CONFIG_HOME=$work/config # the program's settings stay here
STEPDRIVE_COM4=$device QT_QPA_PLATFORM=xcb "$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)

window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
waitShown() { for _ in $(seq 100); do [ -n "$(window "$1")" ] && return 0; sleep 0.1; done; return 1; }
# A click at the middle of a control placed in twips (15 to a pixel).
click() { # click WINDOW LEFT TOP WIDTH HEIGHT
    xdotool mousemove --window "$(window "$1")" $((($2 + $4 / 2) / 15)) $((($3 + $5 / 2) / 15)) click 1
}
lineOpen() { ls -l "/proc/$app_pid/fd" 2>/dev/null | grep -q -- "-> $device\$"; }

waitShown MAIN || give_up "the main panel did not open"
sleep 0.5 # centred once it is shown
click MAIN 360 120 1455 855 # "통신설정"
waitShown START || give_up "the connection dialog did not open"
click START 4920 240 2055 855 # "통신 연결" with the dialog's defaults: COM4
for _ in $(seq 50); do lineOpen && break; sleep 0.1; done
lineOpen || give_up "the line did not open"
sleep 1 # the windows settle

ticks() { # utime + stime of every thread
    local stat
    stat=$(cat "/proc/$app_pid/stat") || return 1
    set -- ${stat##*) }
    echo $((${12} + ${13}))
}
runNs() { # the scheduler's run time of every thread, when the kernel keeps it
    local total=0 ms
    for f in /proc/"$app_pid"/task/*/sched; do
        ms=$(awk '/se.sum_exec_runtime/ { print $3 }' "$f" 2>/dev/null) || return 1
        [ -n "$ms" ] || return 1
        total=$(awk -v a="$total" -v b="$ms" 'BEGIN { printf "%.0f", a + b * 1e6 }')
    done
    echo "$total"
}

ticks0=$(ticks) || give_up "the program ended"
ns0=$(runNs)
sleep "$seconds"
ticks1=$(ticks) || give_up "the program ended"
ns1=$(runNs)
lineOpen || give_up "the line closed while idle"

hz=$(getconf CLK_TCK)
tickMs=$(awk -v t=$((ticks1 - ticks0)) -v hz="$hz" 'BEGIN { printf "%.0f", t * 1000 / hz }')
if [ -n "$ns0" ] && [ -n "$ns1" ]; then
    ms=$(awk -v a="$ns0" -v b="$ns1" 'BEGIN { printf "%.2f", (b - a) / 1e6 }')
    measured="$ms ms ($tickMs ms in /proc/<pid>/stat)"
else
    ms=$tickMs
    measured="$ms ms (/proc/<pid>/stat, in ticks of $((1000 / hz)) ms)"
fi
awk -v ms="$ms" 'BEGIN { exit !(ms < 10) }' && row "$measured" met || row "$measured" MISSED
