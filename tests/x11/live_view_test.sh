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
# Clicks at a pixel of a window: clickPixel WINDOW-NAME X Y (the main
# panel's form starts 19 pixels down, under its menu bar).
clickPixel() { xdotool mousemove --window "$(windows "$1" | head -1)" "$2" "$3" click 1; }
# Frames the simulator received since line FROM of its log, as "cmd opt".
framesSince() { tail -n +"$1" "$sim_log" | awk '$2 == "<-" {print $5 " " $6}'; }

startSim sim
export STEPDRIVE_COM4=$line
# The simulator received FRAME (its first bytes) after line FROM of its log.
sawSince() { tail -n +"$1" "$sim_log" | grep -q "<- $2"; } # sawSince FROM FRAME

# The program, connected, with the live view opened from "보기" and the two
# windows side by side.
startWatching() { # startWatching [--lang en]
    startApp "$@"
    clickPixel MAIN 72 55 # 통신설정
    waitFor 5 shown START && clickPixel START 396 44 # 통신 연결
    waitFor 5 gone START || fail "the dialog did not connect"
    xdotool windowmove "$(windows MAIN)" 0 100
    # The menu "보기", once its popup is one more window of the program.
    local before; before=$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l)
    clickPixel MAIN 55 9
    waitFor 3 eval '[ "$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l)" -gt "$before" ]' ||
        fail "the menu 보기 did not open"
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
plotDrawn() { [ "$(plotted)" -gt 100 ]; }
# 모터 정지, and the simulator has it.
stopMotor() {
    local from=$(($(wc -l <"$sim_log") + 1))
    clickPixel MAIN 416 319
    waitFor 3 sawSince "$from" "AA  00  03  00" || fail "the stop did not reach the driver"
}

startWatching
clickPixel MAIN 456 267 # ROR at jog speed 300
waitFor 5 plotDrawn && pass "the plot draws the jog ($(plotted) pixels)" ||
    fail "the plot shows $(plotted | grep . || echo no) pixels of its series"
shot live_view_jog
stopMotor

# WRITE ALL with the view open: nothing between its seven frames.
from=$(($(wc -l <"$sim_log") + 1))
clickPixel MAIN 144 143
waitFor 5 sawSince "$from" "AA  00  05  06" || fail "WRITE ALL did not reach the driver"
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
# Watched from the simulator's last reply on: a request of the view still
# out when it closed is answered by then.
answered() { tail -1 "$sim_log" | grep -q -- "->"; }
waitFor 3 answered || fail "a request of the live view went unanswered"
from=$(($(wc -l <"$sim_log") + 1))
sleep 5 # what is checked: five idle seconds
[ -z "$(framesSince "$from")" ] && pass "no frame in five idle seconds once closed" ||
    fail "frames once closed: $(framesSince "$from" | tr '\n' ' ')"
kill "$app_pid"

# In English.
startWatching --lang en
clickPixel MAIN 456 267
waitFor 5 plotDrawn || fail "the plot in English shows $(plotted | grep . || echo no) pixels of its series"
shot live_view_jog_en
stopMotor

[ "$failures" -eq 0 ] && echo "all passed" || echo "$failures failed"
[ "$failures" -eq 0 ]
