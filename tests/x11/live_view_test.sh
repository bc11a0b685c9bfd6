#!/usr/bin/env bash
# The live view of the shipped stepdrive on a real X server (Xvfb, no window
# manager) against stepdrive-sim: opened from the main panel's menu "보기",
# its plot drawn while a jog runs, only the seven write frames on the line
# during a WRITE ALL with it open, and no frame at all once it is closed.
#
#   live_view_test.sh STEPDRIVE STEPDRIVE-SIM
#
# With STEPDRIVE_XTEST_SHOTS=DIR set, screens are kept there as PNG files,
# in Korean and (with --lang en) in English.
#
# Exits 77 (skipped) only when no X server can be started here.
set -uo pipefail
app=$1
sim=$2

tools="import"
source "$(dirname "$0")/x_test.sh"
# Clicks at a pixel of a window: clickAt WINDOW-NAME X Y (the main panel's
# form starts 19 pixels down, under its menu bar).
clickAt() { xdotool mousemove --window "$(windows "$1" | head -1)" "$2" "$3" click 1; }
shot() { [ -n "${STEPDRIVE_XTEST_SHOTS:-}" ] && sleep 0.3 && import -window root "$STEPDRIVE_XTEST_SHOTS/$1.png"; }
# Frames the simulator received since line FROM of its log, as "cmd opt".
framesSince() { tail -n +"$1" "$work/sim.log" | awk '$2 == "<-" {print $5 " " $6}'; }

"$sim" --verbose >"$work/sim.out" 2>"$work/sim.log" &
pids+=($!)
waitFor 5 test -s "$work/sim.out" || { fail "stepdrive-sim did not start"; exit 1; }
export STEPDRIVE_COM4=$(head -1 "$work/sim.out")

# The program, connected, with the live view opened from "보기" and the two
# windows side by side.
startWatching() { # startWatching [--lang en]
    QT_QPA_PLATFORM=xcb "$app" "$@" >>"$work/app.log" 2>&1 &
    app_pid=$!
    pids+=($app_pid)
    waitFor 10 shown MAIN || { fail "the main panel did not open"; cat "$work/app.log"; exit 1; }
    clickAt MAIN 72 55 # 통신설정
    waitFor 5 shown START && clickAt START 396 44 # 통신 연결
    waitFor 5 gone START || fail "the dialog did not connect"
    xdotool windowmove "$(windows MAIN)" 0 100
    clickAt MAIN 55 9 # the menu "보기"
    sleep 0.5
    xdotool key Down Return
    waitFor 5 shown MONITOR && pass "the live view opened from the menu ($*)" ||
        fail "the live view did not open from the menu ($*)"
    xdotool windowmove "$(windows MONITOR)" 640 100
}
# Pixels of the plot's two series (Qt Charts' default blue and green) in
# the live view.
plotted() {
    import -window "$(windows MONITOR)" -depth 8 txt:- |
        grep -ciE '#(209FDF|99CA53)'
}

startWatching
clickAt MAIN 456 267 # ROR at jog speed 300
sleep 2
n=$(plotted)
[ "$n" -gt 100 ] && pass "the plot draws the jog ($n pixels)" || fail "the plot shows ${n:-no} pixels of its series"
shot live_view_jog
clickAt MAIN 416 319 # 모터 정지
sleep 1

# WRITE ALL with the view open: nothing between its seven frames.
from=$(($(wc -l <"$work/sim.log") + 1))
clickAt MAIN 144 143
waitFor 5 bash -c "tail -n +$from '$work/sim.log' | grep -q '<- AA  00  05  06'" ||
    fail "WRITE ALL did not reach the driver"
written=$(framesSince "$from" | awk '$1 == "05" {w = 1} w' | awk '{print} $0 == "05 06" {exit}' |
    tr '\n' ' ')
[ "$written" = "05 01 05 02 05 04 05 05 05 07 05 09 05 06 " ] &&
    pass "only the seven write frames during WRITE ALL" ||
    fail "during WRITE ALL the line carried: $written"

# Closed (Ctrl+W: there is no window manager to draw a close box), nothing
# more goes out.
xdotool windowfocus --sync "$(windows MONITOR)"
xdotool key ctrl+w
waitFor 5 gone MONITOR && pass "the live view closed" || fail "the live view did not close"
sleep 0.5
from=$(($(wc -l <"$work/sim.log") + 1))
sleep 5
[ -z "$(framesSince "$from")" ] && pass "no frame in five idle seconds once closed" ||
    fail "frames once closed: $(framesSince "$from" | tr '\n' ' ')"
kill "$app_pid"

# In English.
startWatching --lang en
clickAt MAIN 456 267
sleep 2
shot live_view_jog_en
clickAt MAIN 416 319
sleep 0.5

[ "$failures" -eq 0 ] && echo "all passed" || echo "$failures failed"
[ "$failures" -eq 0 ]
