#!/usr/bin/env bash
# The operator's numbers on the shipped stepdrive on a real X server (Xvfb,
# no window manager) against stepdrive-sim: a table position its field
# can't carry goes nowhere; a home offset of ten digits from a file shows
# whole; a DATA READ cut short by a lost line leaves a typed row as it was;
# the line speed connected last is set again at the next start; and at a
# scale that makes the main panel taller than the screen, it is drawn
# smaller, whole on the screen.
#
#   operator_numbers_test.sh STEPDRIVE STEPDRIVE-SIM
#
# With STEPDRIVE_XTEST_SHOTS=DIR set, screens along the way are kept there.
# Exits 77 (skipped) only when no X server can be started here.
set -uo pipefail
app=$1
sim=$2

tools="import stty"
source "$(dirname "$0")/x_test.sh"
speedOf() { stty -F "$1" speed; } # the speed a pseudo-terminal is set to
# The widths of the runs of inked columns in a box of a form (twips), left
# to right: one a digit.
inkRuns() { # inkRuns WINDOW-NAME LEFT TOP WIDTH HEIGHT
    local X Y WIDTH HEIGHT SCREEN WINDOW; formOrigin "$1"
    import -window root -crop "$(($4 / 15 - 8))x$(($5 / 15 - 8))+$((X + $2 / 15 + 4))+$((Y + $3 / 15 + 4))" \
        -colorspace gray -depth 8 txt:- | tail -n +2 | sed -E 's/^([0-9]+),[0-9]+: \(([0-9]+).*/\1 \2/' |
        awk '{ if ($2 < 96) dark[$1] = 1; if ($1 > last) last = $1 }
            END { for (x = 0; x <= last + 1; x++) if (dark[x]) run++; else if (run) { printf "%d ", run; run = 0 } }'
}
# A picture of a box of a form (twips), for comparing.
boxPicture() { # boxPicture WINDOW-NAME LEFT TOP WIDTH HEIGHT FILE
    local X Y WIDTH HEIGHT SCREEN WINDOW; formOrigin "$1"
    import -window root -crop "$(($4 / 15))x$(($5 / 15))+$((X + $2 / 15))+$((Y + $3 / 15))" "$6"
}
sentSince() { tail -n +"$1" "$sim_log" | grep -c "<- $2"; } # sentSince FROM FRAME

# Connected at 9600 (two below 19200 in the speed list): the line is set to it.
startSim sim1
export STEPDRIVE_COM4=$line
startApp
openDialog
click START 3120 600 1095 300 && xdotool key Down Down
connectAndHome "COM4 at 9600" "$sim_log"
[ "$(speedOf "$line")" = 9600 ] && pass "the line is set to 9600" ||
    fail "the line is set to $(speedOf "$line"), not 9600"

# A home offset of ten digits from a file shows whole in its box of seven:
# its first digit as wide as a digit.
cat >"$work/wide.json" <<'JSON'
{"motor": {"run_current": 20, "stop_current": 4, "run_speed": 800, "acceleration": 10,
           "homing_speed": 500, "home_offset": 2147483647, "resolution": 2}}
JSON
fileDialog ctrl+o "설정 불러오기" "$work/wide.json"
shot wide-home-offset
read -ra runs <<<"$(inkRuns MAIN 1440 5400 1455 495)"
[ "${#runs[@]}" = 10 ] && [ "${runs[0]}" -ge $((runs[6] - 1)) ] &&
    pass "2147483647 shows whole in 홈 OFFSET" ||
    fail "홈 OFFSET shows ${#runs[@]} digits for 2147483647, ink ${runs[*]}"

# The position table: 123456789 in row 1 위치 is refused with one message,
# nothing of DATA DOWNLOAD goes out, and the box is not marked.
click MAIN 2040 120 1455 855
waitFor 5 shown Jog/Position && pass "the position table opened" || fail "no position table"
click Jog/Position 4800 2040 1695 495 && xdotool key ctrl+a type "123456789"
from=$(($(wc -l <"$sim_log") + 1))
click Jog/Position 240 7560 1695 1335 # DATA DOWNLOAD
oneBox "123456789 in row 1 위치"
shot position-refused
xdotool key Return
waitFor 3 gone stepdrive || fail "the refusal did not close"
click Jog/Position 7440 2760 855 495 # row 2's 동작: any download went first
waitFor 3 eval '[ "$(sentSince "$from" "CC  00  04  01")" -gt 0 ]' || fail "row 2's move did not go out"
[ "$(sentSince "$from" "CC  00  0E")" = 0 ] && pass "no table frame went out" ||
    fail "$(sentSince "$from" "CC  00  0E") table frames went out"
expectColour "row 1 위치 after the refusal" FFFFFF Jog/Position 4860 2100
click Jog/Position 4800 2040 1695 495 && xdotool key ctrl+a type "0"

# -777 typed in row 7 위치, then the driver lost during DATA READ: row 7
# still shows -777, white.
click Jog/Position 4800 6360 1695 495 && xdotool key ctrl+a type -- "-777"
click Jog/Position 7440 2760 855 495 # the box left, so no cursor is drawn in it
waitFor 3 eval '[ "$(sentSince "$from" "CC  00  04  01")" -gt 1 ]'
boxPicture Jog/Position 4800 6360 1695 495 "$work/typed.png"
from=$(($(wc -l <"$sim_log") + 1))
click Jog/Position 2280 7560 1575 1335 # DATA READ
waitFor 3 eval '[ "$(sentSince "$from" "CC  00  0F  01")" -gt 0 ]' || fail "DATA READ did not start"
kill -KILL "$sim_pid"
oneBox "the driver lost during DATA READ"
xdotool key Return
waitFor 3 gone stepdrive || fail "the loss's message did not close"
boxPicture Jog/Position 4800 6360 1695 495 "$work/kept.png"
shot typed-row-kept
[ "$(compare -metric AE "$work/typed.png" "$work/kept.png" null: 2>&1)" = 0 ] &&
    pass "row 7 위치 still shows -777, white" || fail "row 7 위치 changed in the cut DATA READ"

# The next start offers the speed connected last: connecting sets 9600 on a
# line left at 19200.
exitFrom Jog/Position
startSim sim2
export STEPDRIVE_COM4=$line
stty -F "$line" 19200
startApp
openDialog
connectAndHome "COM4 as offered" "$sim_log"
[ "$(speedOf "$line")" = 9600 ] && pass "the next start set the line to 9600" ||
    fail "the next start set the line to $(speedOf "$line"), not 9600"
exitFrom MAIN

# At twice the scale on 1280x1024 the main panel is drawn smaller, whole on
# the screen.
QT_SCALE_FACTOR=2 startApp
inScreen() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$(windows MAIN | head -1)")"
    echo "MAIN at $X,$Y, $WIDTH x $HEIGHT"
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1280 ] && [ $((Y + HEIGHT)) -le 1024 ]
}
waitFor 3 inScreen >/dev/null && pass "MAIN at scale 2: $(inScreen)" || fail "MAIN at scale 2 off the screen: $(inScreen)"
shot main-at-scale-2

echo "$failures failed"
[ $failures -eq 0 ]
