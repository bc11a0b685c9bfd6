#!/usr/bin/env bash
# The main panel of the shipped stepdrive on a real X server (Xvfb, no window
# manager) over faulty lines: stepdrive-sim with noise before its replies,
# replies in pieces, a wrong status to a write; driven by real input events
# and checked on the screen's pixels and windows.
#
#   faulty_lines_test.sh STEPDRIVE STEPDRIVE-SIM
#
# With STEPDRIVE_XTEST_SHOTS=DIR set, screens along the way are kept there.
#
# Exits 77 (skipped) only when no X server can be started here.
set -uo pipefail
app=$1
sim=$2

tools="import"
source "$(dirname "$0")/x_test.sh"
startApp

# Noise before every reply: READ ALL still finds each reply, fills all
# seven boxes with the driver's values and shows no box.
connectToSim "noisy" noisy --noise 40
reads() { grep -c "<- AA  00  06" "$sim_log"; }
sevenReads() { [ "$(reads)" -ge 7 ]; }
click MAIN 3240 1440 1455 855
waitFor 5 sevenReads && pass "the noisy READ ALL asked for all seven" ||
    fail "the noisy READ ALL sent $(reads) requests"
sleep 0.5
shot noisy-read-all
gone stepdrive && pass "no message box for a noisy READ ALL" ||
    fail "a noisy READ ALL showed a message box"
filled=0
for row in 2400 3000 3600 4200 4800 5400 6120; do
    [ "$(inked MAIN 3240 "$row" 1455 495)" -gt 0 ] && filled=$((filled + 1))
done
[ $filled = 7 ] && pass "every read-back box is filled after the noisy READ ALL" ||
    fail "$((7 - filled)) read-back boxes are empty after the noisy READ ALL"

# DATA READ on the same noisy line fills all 21 boxes of the table, light
# blue, with no box.
click MAIN 2040 120 1455 855
waitFor 5 shown Jog/Position || fail "no position table on the noisy line"
tableReads() { grep -c "<- CC  00  0F" "$sim_log"; }
sevenTableReads() { [ "$(tableReads)" -ge 7 ]; }
click Jog/Position 2280 7560 1575 1335 # DATA READ
waitFor 5 sevenTableReads && pass "the noisy DATA READ asked for all seven rows" ||
    fail "the noisy DATA READ sent $(tableReads) requests"
sleep 0.5
gone stepdrive && pass "no message box for a noisy DATA READ" ||
    fail "a noisy DATA READ showed a message box"
blue=0
for row in 2040 2760 3480 4200 4920 5640 6360; do
    for column in 1200 2880 4800; do
        [ "$(colourAt Jog/Position $((column + 60)) $((row + 60)))" = C0C0FF ] && blue=$((blue + 1))
    done
done
[ $blue = 21 ] && pass "all 21 table boxes filled after the noisy DATA READ" ||
    fail "$blue of 21 table boxes filled after the noisy DATA READ"
click Jog/Position 2040 120 1455 855 # back to MAIN

# Replies in pieces and a stop during READ ALL: afterwards "입력" shows the
# driver's inputs (1 and 3 of --inputs 5), with no box.
connectToSim "split" split --split 3 --inputs 5
click MAIN 6420 3360 975 735 # ROR
click MAIN 3240 1440 1455 855 # READ ALL
sleep 0.3
click MAIN 5160 4200 2175 615 # stop
waitFor 3 shown stepdrive && xdotool key --window "$(windows stepdrive | tail -1)" Return
waitFor 3 gone stepdrive || fail "the READ ALL cut short did not close on Return"
click MAIN 5520 5760 2895 375 # 입력
lampLit() { [ "$(colourAt MAIN "$1" 6360)" = FF0000 ]; } # lampLit LEFT: lamp centre
waitFor 3 lampLit 5220
sleep 0.5
shot split-inputs
gone stepdrive && pass "no box after the inputs on the split line" ||
    fail "a box after the inputs on the split line"
lampLit 5220 && lampLit 6180 && ! lampLit 5700 &&
    pass "lamps 1 and 3 are lit after a stop during READ ALL on the split line" ||
    fail "the lamps do not show inputs 1 and 3 on the split line"

# A stop during WRITE ALL, on a clean line and on one where a write reply
# has a wrong status: the stop frame takes the place of the next write (how
# long after the key is noted), the rest of WRITE ALL stays unsent, and
# every box closes on Return.
stopDuringWriteAll() { # stopDuringWriteAll WHAT SIMULATOR-OPTION...
    local what=$1; shift
    connectToSim "$what" "stop-$what" "$@"
    click MAIN 6420 3360 975 735 # ROR
    waitFor 3 simSaw "AA  00  01  00" || fail "the jog did not reach the $what driver"
    click MAIN 1440 1440 1455 855
    # 0.3 s after its first write, however long the click took to arrive.
    waitFor 3 simSaw "AA  00  05  01" || fail "WRITE ALL did not start on the $what line"
    sleep 0.3
    local pressed stopped answered=0
    pressed=$(now)
    xdotool key --window "$(windows MAIN | head -1)" Escape
    waitFor 3 simSaw "AA  00  03  00" || fail "the stop during WRITE ALL never reached the $what driver"
    stopped=$(grep "<- AA  00  03  00" "$sim_log" | head -1 | awk '{print int($1)}')
    echo "note: the stop reached the $what driver $((stopped - pressed)) ms after Escape"
    # It took the place of the next write: none came after it.
    [ "$(grep -c "<- AA  00  05" "$sim_log")" -lt 7 ] &&
        [ "$(lastLine "AA  00  05")" -lt "$(lastLine "AA  00  03  00")" ] &&
        pass "the stop cut WRITE ALL short on the $what line" ||
        fail "WRITE ALL went on past the stop on the $what line"
    while waitFor 2 shown stepdrive && [ $answered -lt 5 ]; do
        answered=$((answered + 1))
        xdotool key --window "$(windows stepdrive | tail -1)" Return
        sleep 0.3
    done
    gone stepdrive && pass "Return answered the $answered boxes after the stop on the $what line" ||
        fail "a box after the stop on the $what line did not close on Return"
}
stopDuringWriteAll clean
stopDuringWriteAll faulty --fault status --every 7

# A "통신에러" box left open three seconds in the middle of WRITE ALL: the
# replies that came meanwhile count, so no box says the driver is silent,
# and WRITE ALL goes on to its end once it is answered.
connectToSim "faulty" slowbox --fault status --every 4
click MAIN 1440 1440 1455 855
waitFor 5 shown stepdrive && pass "the faulty write reply shows a box" ||
    fail "the faulty write reply showed no box"
sleep 3
xdotool key --window "$(windows stepdrive | tail -1)" Return
waitFor 5 simSaw "AA  00  05  06" && pass "WRITE ALL went on after the box" ||
    fail "WRITE ALL did not go on after the box"
sleep 1.5
gone stepdrive && pass "no second box after one left open three seconds" ||
    fail "a second box showed after one left open three seconds"

echo "$failures failed"
[ $failures -eq 0 ]
