#!/usr/bin/env bash
# The shipped stepdrive on a real X server (Xvfb, no window manager) against
# stepdrive-sim, driven by real input events (xdotool, through XTest) at the
# forms' places, and checked on the screen's pixels and windows.
#
#   xserver_test.sh STEPDRIVE STEPDRIVE-SIM
#
# With STEPDRIVE_XTEST_SHOTS=DIR set, screens along the way are kept
# there as PNG files.
#
# Exits 77 (skipped) only when no X server can be started here.
set -uo pipefail
app=$1
sim=$2

tools="xwininfo import xclip"
source "$(dirname "$0")/x_test.sh"
# The driver, COM4 pointed at it, and the program connected through the
# dialog with its defaults.
startSim sim1
export STEPDRIVE_COM4=$line
startApp
openDialog
expectColour "통신 연결" 8080FF START 5070 660
connectAndHome "COM4" "$sim_log"

# "ROL" turns its button red, "ROR" stays the button face.
click MAIN 5160 3360 975 735
waitFor 3 simSaw "AA  00  02  00" || fail "the jog did not reach the driver"
expectColour "ROL after a jog left" FF0000 MAIN 5250 3420
expectColour "WRITE ALL" FFFF00 MAIN 1530 1500
expectColour "READ ALL" 8080FF MAIN 3330 1500
click MAIN 5160 4200 2175 615 # stop

# A run current the driver can't take: one message box, nothing of WRITE ALL
# on the line, no box marked as sent.
writes() { grep -c "<- AA  00  05" "$sim_log"; }
clickAt MAIN 144 176 && xdotool key ctrl+a type "40"
before=$(writes)
click MAIN 1440 1440 1455 855
oneBox "run current 40"
xdotool key Return
waitFor 3 gone stepdrive || fail "the message box did not close"
# A press handled after the refusal: any frame of that WRITE ALL came first.
homes() { grep -c "<- AA  00  07  01" "$sim_log"; }
moreHomesThan() { [ "$(homes)" -gt "$1" ]; }
homesBefore=$(homes)
click MAIN 7680 3360 855 1335
waitFor 3 moreHomesThan "$homesBefore" || fail "the home search after the refusal did not reach the driver"
[ "$(writes)" = "$before" ] && pass "nothing of WRITE ALL went out" ||
    fail "WRITE ALL sent $(($(writes) - before)) frames after a refusal"
expectColour "the run current box after a refusal" FFFFFF MAIN 1590 2647
clickAt MAIN 144 176 && xdotool key ctrl+a type "20"

# WRITE ALL: a click on "원점" during its pauses waits, and is handled right
# after the last frame, without any further input.
before=$(homes)
firstWrites=$(grep -c "<- AA  00  05  01" "$sim_log")
click MAIN 1440 1440 1455 855
waitFor 3 eval '[ "$(grep -c "<- AA  00  05  01" "$sim_log")" -gt "$firstWrites" ]' ||
    fail "WRITE ALL did not start"
click MAIN 7680 3360 855 1335
waitFor 5 simSaw "AA  00  05  06" && pass "WRITE ALL reached the driver" || fail "WRITE ALL did not end"
if waitFor 2 moreHomesThan "$before"; then
    [ "$(lastLine "AA  00  07  01")" -gt "$(lastLine "AA  00  05  06")" ] &&
        pass "a click during WRITE ALL was handled after it" ||
        fail "a click during WRITE ALL was handled before the sequence ended"
else
    fail "a click during WRITE ALL was never handled"
fi
for row in 2400 3000 3600 4200 4800 5400 6120; do
    expectColour "the entry box at $row after WRITE ALL" FFFF80 MAIN 1590 $((row + 247))
done
# A value typed over a written one was not sent: its box is white again.
clickAt MAIN 144 176 && xdotool key ctrl+a type "21"
expectColour "the run current typed over after WRITE ALL" FFFFFF MAIN 1590 2647
expectColour "the stop current as written" FFFF80 MAIN 1590 3247
clickAt MAIN 144 176 && xdotool key ctrl+a type "20"

# A number pasted into 이동펄스 that its 7 characters can't hold is refused
# whole: one message, the box keeps 1000, and 증분이동 moves by 1000, never
# by the 2000000 a cut paste would leave.
clickAt MAIN 488 184 && xdotool key ctrl+a type "1000"
printf 20000000 | xclip -selection clipboard
clickAt MAIN 488 184 && xdotool key ctrl+a ctrl+v
oneBox "a paste too wide for 이동펄스"
shot paste-refused
xdotool key Return
waitFor 3 gone stepdrive || fail "the paste's message box did not close"
click MAIN 7080 1440 1335 855 # 증분이동
waitFor 3 simSaw "AA  00  04  01  00  00  03  E8" && pass "증분이동 moved by the 1000 kept" ||
    fail "증분이동 did not move by 1000"
simSaw "AA  00  04  01  00  1E  84  80" && fail "a cut paste went out as 2000000" ||
    pass "no cut paste went out"
# READ ALL fills the read-back boxes light blue, resolution last.
click MAIN 3240 1440 1455 855
waitFor 5 simSaw "AA  00  06  06" || fail "READ ALL did not reach its last request"
for row in 2400 3000 3600 4200 4800 5400 6120; do
    expectColour "the read-back box at $row after READ ALL" C0C0FF MAIN 3390 $((row + 247))
done

# A refused entry: one message box, closed by a fresh Return.
clickAt MAIN $((6600 / 15 + 40)) $((5040 / 15 + 16)) && xdotool key ctrl+a type "abc"
click MAIN 5160 3360 975 735
waitFor 3 shown stepdrive && pass "a refused entry shows a message box" ||
    fail "a refused entry showed no message box"
xdotool key Return
waitFor 3 gone stepdrive && pass "the message box closed" || fail "the message box did not close"

# The driver goes away while Return is held down: exactly one message box,
# and it stays until a fresh key press answers it.
xdotool keydown Return
kill -KILL "$sim_pid"
oneBox "the lost driver, with Return held" 1.5
xdotool keyup Return
xdotool key Return
waitFor 3 gone stepdrive && pass "the message box closed" || fail "the message box did not close"
sleep 0.5
[ "$(count stepdrive)" = 0 ] && pass "no second message for one loss" ||
    fail "another message box appeared after the loss was reported"

# After the lost line the dialog is ready to connect again at once: a device
# path typed into the port box, then "통신 연결".
startSim sim2
openDialog
typePort "$line"
shot typed-path
connectAndHome "the typed $line" "$sim_log"

# With the motor stopped, "종료" ends the program at once.
click MAIN 5160 4200 2175 615 # stop
click MAIN 6960 120 1455 855
waitFor 5 gone MAIN && ! shown stepdrive && waitFor 5 eval '! running' &&
    pass "종료 with the motor stopped ended the program" ||
    fail "종료 with the motor stopped did not end the program"

# A second start, COM1 on another simulator and the port last connected
# gone: a click on the first entry of "사용가능 포트" puts COM1 in the port
# box, and "통신 연결" opens it.
sim2_pid=$sim_pid
startSim sim3
kill "$sim2_pid"
export STEPDRIVE_COM4=/nonexistent/stepdrive-COM4
export STEPDRIVE_COM1=$line
good=$line
good_log=$sim_log
startApp
openDialog
shot second-start
click START 360 1260 3855 210
shot chosen-from-list
connectAndHome "the port chosen from the list" "$sim_log"

# A jog running at exit: Escape on the panel stops it, even from an entry box.
jogRight() {
    click MAIN 6360 3360 975 735
    waitFor 3 eval '[ "$(lastLine "AA  00  01  00")" -gt "$(lastLine "AA  00  03  00")" ]'
}
jogRight || fail "the jog right did not reach the driver"
clickAt MAIN $((6600 / 15 + 40)) $((5040 / 15 + 16)) && xdotool key Escape
waitFor 3 simSaw "AA  00  03  00" && pass "Escape in an entry box stopped the motor" ||
    fail "Escape in an entry box did not stop the motor"

# "통신 정지" asks too; Return chooses "정지 후 통신 정지": the stop reaches
# the driver before the port closes, and the dialog is ready to connect.
jogRight || fail "the jog right before 통신 정지 did not reach the driver"
openDialog
click START 4920 1200 2055 735 # "통신 정지"
waitFor 3 shown stepdrive && pass "통신 정지 during a jog asks first" ||
    fail "통신 정지 during a jog asked nothing"
shot disconnect-question
xdotool key Return
waitFor 3 gone stepdrive
waitFor 3 eval '[ "$(lastLine "AA  00  03  00")" -gt "$(lastLine "AA  00  01  00")" ]' &&
    pass "정지 후 통신 정지 put the stop on the line" || fail "no stop reached the driver on 통신 정지"
connectAndHome "the port again after 통신 정지" "$sim_log"

# "종료" asks; Escape answers "취소" and changes nothing.
jogRight || fail "the second jog right did not reach the driver"
click MAIN 6960 120 1455 855
waitFor 3 shown stepdrive && pass "종료 during a jog asks first" || fail "종료 during a jog asked nothing"
shot exit-question
stops=$(grep -c "<- AA  00  03  00" "$sim_log")
xdotool key Escape
waitFor 3 gone stepdrive
# A press handled after the answer: a stop it sent came first.
inputs=$(grep -c "<- AA  00  0C  01" "$sim_log")
click MAIN 5520 5760 2895 375 # 입력
waitFor 3 eval '[ "$(grep -c "<- AA  00  0C  01" "$sim_log")" -gt "$inputs" ]' ||
    fail "입력 after the question did not reach the driver"
shown MAIN && running && [ "$(grep -c "<- AA  00  03  00" "$sim_log")" = "$stops" ] &&
    pass "Escape on the question changed nothing" || fail "Escape on the question did more than close it"

# Return chooses "정지 후 종료": the stop goes on the line, then the program ends.
click MAIN 6960 120 1455 855
waitFor 3 shown stepdrive || fail "the second 종료 asked nothing"
xdotool key Return
waitFor 5 eval '! running' && pass "정지 후 종료 ended the program" || fail "정지 후 종료 did not end the program"
[ "$(lastLine "AA  00  03  00")" -gt "$(lastLine "AA  00  01  00")" ] &&
    pass "the stop reached the driver after the jog" || fail "no stop reached the driver after the jog"

# A driver that never answers: READ ALL says so in one box, soon; the next
# READ ALL against a sound driver fills every box.
startSim silent --drop 1
startApp
openDialog
typePort "$line"
connectAndHome "a silent driver" "$sim_log"
waitFor 3 shown stepdrive && xdotool key Return # the home search went unanswered
waitFor 3 gone stepdrive
# A refusal box answered with Return first: Return still answers the next
# box. The key goes to the box's window, as a tool aimed at it sends it: a
# box that closed on the press would leave the release nowhere to go, and the
# X server would hold Return down from then on.
clickAt MAIN 144 176 && xdotool key ctrl+a type "40"
click MAIN 1440 1440 1455 855
waitFor 3 shown stepdrive && xdotool key --window "$(windows stepdrive | head -1)" Return
waitFor 3 gone stepdrive && pass "Return answered the refusal of run current 40" ||
    fail "Return did not answer the refusal of run current 40"
clickAt MAIN 144 176 && xdotool key ctrl+a type "20"
click MAIN 3240 1440 1455 855
start=$(date +%s%N)
waitFor 3 shown stepdrive
echo "note: the message box showed $((($(date +%s%N) - start) / 1000000)) ms after READ ALL"
oneBox "a silent READ ALL" 1.5
shot silent-driver
xdotool key --window "$(windows stepdrive | head -1)" Return
waitFor 3 gone stepdrive && pass "Return answered the silence box after a refusal box" ||
    { fail "the silence box ignored Return after a refusal box"; xdotool key space; }
[ "$(grep -c "<- AA  00  06" "$sim_log")" = 1 ] && pass "the chain stopped at its first request" ||
    fail "the chain went on: $(grep -c "<- AA  00  06" "$sim_log") requests"
openDialog
disconnectLine
typePort "$good"
connectAndHome "a sound driver again" "$good_log"
sim_log=$good_log # the frames below are the sound driver's
click MAIN 3240 1440 1455 855
waitFor 5 simSaw "AA  00  06  06" "$good_log" || fail "READ ALL did not reach its last request"
for row in 2400 3000 3600 4200 4800 5400 6120; do
    expectColour "the read-back box at $row after a silent driver" C0C0FF MAIN 3390 $((row + 247))
done

# The set-up as a file: Ctrl+S saves it through the file dialog (a path
# typed into its file name box, then Return); a changed run current comes
# back with Ctrl+O, a name typed alone being found in the folder used last,
# and nothing goes on the line; saving again writes the same file.
setups=$work/setups
mkdir -p "$setups"
runCurrent() { clickAt MAIN 144 $((2400 / 15 + 16)) && xdotool key ctrl+a type "$1"; }
runCurrent 27
fileDialog ctrl+s "설정 저장" "$setups/one.json"
waitFor 3 test -s "$setups/one.json" && grep -q '"run_current": 27' "$setups/one.json" &&
    pass "Ctrl+S wrote the run current into the file" || fail "Ctrl+S wrote no file with the run current"
runCurrent 5
frames=$(grep -c "<- " "$sim_log")
fileDialog ctrl+o "설정 불러오기" one.json
shot loaded
# A press handled after the load: the first frame since is its own.
click MAIN 7680 3360 855 1335
waitFor 3 eval '[ "$(grep -c "<- " "$sim_log")" -gt "$frames" ]'
firstSince=$(grep "<- " "$sim_log" | sed -n "$((frames + 1))p")
[[ $firstSince == *"<- AA  00  07  01"* ]] && pass "loading sent nothing" ||
    fail "loading sent a frame before the home search after it: $firstSince"
fileDialog ctrl+s "설정 저장" two.json
waitFor 3 test -s "$setups/two.json" && cmp -s "$setups/one.json" "$setups/two.json" &&
    pass "Ctrl+O put the file's values back in the boxes" ||
    fail "the boxes after Ctrl+O saved as $(grep run_current "$setups/two.json" 2>/dev/null)"

# A refused file: one message, in the operator's language (its words are the
# profile words' test's), and no box changes.
printf '{"motor": {"run_current": 40}}' >"$setups/bad.json"
fileDialog ctrl+o "설정 불러오기" bad.json
oneBox "a refused set-up file"
shot refused-file
xdotool key Return
waitFor 3 gone stepdrive && pass "Return answered the refused file's message" ||
    fail "the refused file's message did not close"

echo "$failures failed"
[ $failures -eq 0 ]
