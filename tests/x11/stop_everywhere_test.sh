#!/usr/bin/env bash
# The motor stop from every window that holds the line, on the shipped
# stepdrive on a real X server (Xvfb, no window manager) against
# stepdrive-sim: Escape and the menu bar's "모터 정지 (Esc)" on the position
# table and the belt panel, during a table move and during each of their
# sequences; the live view's stop over the position table; the question
# before leaving a table move; a stop during READ ALL on a lossy line.
#
#   stop_everywhere_test.sh STEPDRIVE STEPDRIVE-SIM
#
# With STEPDRIVE_XTEST_SHOTS=DIR set, screens along the way are kept there.
# Exits 77 (skipped) only when no X server can be started here.
set -uo pipefail
app=$1
sim=$2

tools="import"
source "$(dirname "$0")/x_test.sh"
lines() { wc -l <"$sim_log"; }
sawSince() { tail -n +"$1" "$sim_log" | grep -q "<- $2"; } # sawSince LINE FRAME
# The line (of the log, counted from LINE) and the time of the first FRAME.
firstSince() { # firstSince LINE FRAME
    tail -n +"$1" "$sim_log" | grep -n "<- $2" | head -1 | awk -F: '{print $1, int($2)}'
}
# The stop as the operator gives it on WINDOW, ready beforehand so that it
# goes at once however busy the machine: Escape (key), or "모터 정지 (Esc)" at
# the right end of the menu bar (menu). stopInput HOW WINDOW
stopInput() {
    local w X Y WIDTH HEIGHT SCREEN WINDOW
    w=$(windows "$2" | head -1)
    if [ "$1" = key ]; then
        echo "key --window $w Escape"
    else
        eval "$(xdotool getwindowgeometry --shell "$w")"
        echo "mousemove --window $w $((WIDTH - 30)) $(($(formTop "$w" "$2") / 2)) click 1"
    fi
}
# Answers every message box with Return.
answerBoxes() {
    local n=0
    while waitFor 1 shown stepdrive && [ $n -lt 5 ]; do
        n=$((n + 1))
        xdotool key --window "$(windows stepdrive | tail -1)" Return
        sleep 0.3
    done
}

# stopDuring WHAT WINDOW X Y FRAME HOW DELAY [OF]: a click at X,Y on WINDOW
# starts something whose frames begin with FRAME; DELAY seconds after the
# first, Escape (HOW key) or the menu bar's stop (HOW menu). The stop
# reaches the driver (its delay noted from the simulator's clock), no FRAME
# follows it, and fewer than OF of them went out.
stopDuring() {
    local what=$1 win=$2 x=$3 y=$4 frame=$5 how=$6 delay=$7 of=${8:-0} from pressed stop at input
    input=$(stopInput "$how" "$win")
    from=$(($(lines) + 1))
    clickAt "$win" "$x" "$y"
    poll=0.02 waitFor 3 sawSince "$from" "$frame" || { fail "$what did not start"; return; }
    sleep "$delay"
    pressed=$(now)
    xdotool $input
    waitFor 3 sawSince "$from" "AA  00  03  00" || { fail "$what: the stop ($how) never came"; return; }
    read -r stop at <<<"$(firstSince "$from" "AA  00  03  00")"
    echo "note: $what: the stop ($how) reached the driver $((at - pressed)) ms after it"
    sleep 1
    tail -n +$((from + stop)) "$sim_log" | grep -q "<- $frame" &&
        fail "$what went on after the stop ($how)" ||
        pass "$what: the stop ($how) came before any further frame"
    if [ "$of" -gt 0 ]; then
        local sent; sent=$(tail -n +"$from" "$sim_log" | grep -c "<- $frame")
        [ "$sent" -lt "$of" ] && pass "$what: the stop cut it short after $sent of $of" ||
            fail "$what ran to its end before the stop"
    fi
    answerBoxes
}

# Replies 60 ms late, so that each step of a read takes 160 ms and the test
# has time to press the stop in the middle of the shortest one.
startSim sim1 --delay-ms 60
export STEPDRIVE_COM4=$line
startApp
openDialog
connectAndHome "COM4" "$sim_log"
# The live view opened on the main panel stays open over the other panels.
xdotool key --window "$(windows MAIN | head -1)" ctrl+m
waitFor 5 shown MONITOR && pass "the live view opened" || fail "the live view did not open"

# The position table: a row's move, DATA DOWNLOAD and DATA READ.
clickAt MAIN 184 36 # JOG/Position
waitFor 5 shown Jog/Position || fail "the position table did not open"
shot jog-position-with-stop
stopDuring "a table move" Jog/Position 524 152 "CC  00  04  00" key 0.3
stopDuring "a table move" Jog/Position 524 152 "CC  00  04  00" menu 0.3
stopDuring "DATA DOWNLOAD" Jog/Position 72 548 "CC  00  0E" key 0.1 7
stopDuring "DATA READ" Jog/Position 204 548 "CC  00  0F" menu 0.05 7

# The belt panel: WRITE ALL and READ ALL.
clickAt Jog/Position 304 36 # BELT MODE
waitFor 5 shown BELT || fail "the belt panel did not open"
shot belt-with-stop
stopDuring "the belt's WRITE ALL" BELT 184 368 "AA  00  0D" key 0.1 5
stopDuring "the belt's READ ALL" BELT 320 368 "AA  00  0E" menu 0.05 4

# The live view over the position table: its stop reaches the driver.
clickAt BELT 304 36 # JOG/Position
waitFor 5 shown Jog/Position || fail "the position table did not open again"
from=$(($(lines) + 1))
clickAt Jog/Position 524 152
waitFor 3 sawSince "$from" "CC  00  04  00" || fail "the move for the live view did not start"
xdotool key --window "$(windows MONITOR | head -1)" Escape
waitFor 3 sawSince "$from" "AA  00  03  00" && pass "the live view's stop reached the driver" ||
    fail "the live view's stop over the position table did not reach the driver"
gone stepdrive && pass "no box for the live view's stop" || fail "a box for the live view's stop"
answerBoxes

# Leaving a table move asks; Return stops it first.
from=$(($(lines) + 1))
clickAt Jog/Position 524 152
waitFor 3 sawSince "$from" "CC  00  04  00" || fail "the move before 종료 did not start"
clickAt Jog/Position 512 36 # 종료
waitFor 5 shown stepdrive && pass "종료 during a table move asks" || fail "종료 during a table move did not ask"
shot leave-question
xdotool key --window "$(windows stepdrive | tail -1)" Return
waitFor 5 eval '! running' && pass "정지 후 종료 ended the program" || fail "the program did not end"
sawSince "$from" "AA  00  03  00" && pass "the stop reached the driver before the end" ||
    fail "no stop reached the driver on 정지 후 종료"

# A stop during READ ALL on a line that drops every third reply: the home
# search and the first read are answered, the second read's reply is
# dropped, and the stop pressed while READ ALL waits for it is answered.
# One box says READ ALL was cut short; none says the driver fell silent.
startSim lossy --drop 3
export STEPDRIVE_COM4=$line
startApp
openDialog
connectAndHome "the lossy driver" "$sim_log"
from=$(($(lines) + 1))
twoReads() { [ "$(tail -n +"$from" "$sim_log" | grep -c "<- AA  00  06")" -ge 2 ]; }
click MAIN 3240 1440 1455 855 # READ ALL
waitFor 3 twoReads || fail "READ ALL did not reach its second request on the lossy line"
sleep 0.2
xdotool key --window "$(windows MAIN | head -1)" Escape
waitFor 3 sawSince "$from" "AA  00  03  00" || fail "the stop did not reach the lossy driver"
oneBox "a stop during READ ALL on a lossy line" 2
shot lossy-stop
xdotool key --window "$(windows stepdrive | tail -1)" Return
sleep 1.5
gone stepdrive && pass "no false silence after the stop" || fail "a box after the stop's box on the lossy line"

echo "$failures failed"
[ $failures -eq 0 ]
