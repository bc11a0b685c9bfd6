# Sourced first by the X-server tests: a scratch folder, an X server of the
# test's own, a machine whose serial devices the program never sees, and the
# checks, waits and steps on the forms the tests share. `tools` names what a test needs besides
# Xvfb and xdotool. Exits 77 (skipped) only when no X server can be started.

skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb xdotool ${tools:-}; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs it)"
done

work=$(mktemp -d)
pids=()
cleanup() {
    xdotool keyup Return 2>/dev/null # a key a test held is let go
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
startXvfb "$work" || skip "Xvfb did not start: $xvfb_error"
pids+=("$xvfb_pid")

# The program's settings stay in the scratch folder, and the dialog's probe
# finds COM 1 to 10 pointing nowhere and the system listing no device.
export XDG_CONFIG_HOME=$work/config
for name in $(compgen -e | grep '^STEPDRIVE_COM'); do unset "$name"; done
for n in $(seq 10); do export "STEPDRIVE_COM$n=/nonexistent/stepdrive-COM$n"; done
export STEPDRIVE_SERIAL_DEVICES=
export STEPDRIVE_SERIAL_BY_ID=$work/by-id

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# The windows of the program, visible, by exact name.
windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
waitFor() { # waitFor SECONDS COMMAND...: until the command succeeds, asked every $poll s
    local until=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -ge $until ] && return 1; sleep "${poll:-0.1}"; done
}
shown() { [ -n "$(windows "$1")" ]; }
gone() { [ -z "$(windows "$1")" ]; }

# The program and the simulator: $app and $sim, set by the test.
count() { windows "$1" | wc -l; }

# Where a window's form starts, in pixels from its top: the working panels
# have a menu bar over their form, which is 622 or 612 pixels high.
formTop() { # formTop WINDOW-ID WINDOW-NAME
    local form X Y WIDTH HEIGHT SCREEN WINDOW
    case $2 in MAIN) form=622 ;; Jog/Position | BELT) form=612 ;; *) echo 0; return ;; esac
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo $((HEIGHT - form))
}
# Clicks at a pixel of a form: clickAt WINDOW-NAME X Y
clickAt() {
    local w; w=$(windows "$1" | head -1)
    [ -n "$w" ] || { fail "no window $1 to click in"; return 1; }
    xdotool mousemove --window "$w" "$2" $(($3 + $(formTop "$w" "$1"))) click 1
}
# Clicks at a place of a form given in twips (the forms' unit, 15 a pixel).
click() { # click WINDOW-NAME LEFT TOP WIDTH HEIGHT
    clickAt "$1" $((($2 + $4 / 2) / 15)) $((($3 + $5 / 2) / 15))
}
# Where a window's form starts on the screen, into the caller's X and Y
# (and WIDTH, HEIGHT, SCREEN, WINDOW).
formOrigin() { # formOrigin WINDOW-NAME
    local w; w=$(windows "$1" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$w")"
    Y=$((Y + $(formTop "$w" "$1")))
}
# The colour shown at a place of a form (twips from the form's corner), as RRGGBB.
colourAt() { # colourAt WINDOW-NAME LEFT TOP
    local X Y WIDTH HEIGHT SCREEN WINDOW; formOrigin "$1"
    import -window root -crop "1x1+$((X + $2 / 15))+$((Y + $3 / 15))" -depth 8 txt:- |
        tail -1 | grep -o '#[0-9A-F]\{6\}' | tr -d '#'
}
# How many pixels inside a box of a form (twips, its frame left out) are not
# white: 0 for a white, blank box.
inked() { # inked WINDOW-NAME LEFT TOP WIDTH HEIGHT
    local X Y WIDTH HEIGHT SCREEN WINDOW; formOrigin "$1"
    import -window root -crop "$(($4 / 15 - 8))x$(($5 / 15 - 8))+$((X + $2 / 15 + 4))+$((Y + $3 / 15 + 4))" \
        -depth 8 txt:- | tail -n +2 | grep -vc '#FFFFFF'
}
colourIs() { [ "$(colourAt "$2" "$3" "$4")" = "$1" ]; } # colourIs RRGGBB WINDOW LEFT TOP
# The colour shows there within three seconds.
expectColour() { # expectColour WHAT RRGGBB WINDOW LEFT TOP
    waitFor 3 colourIs "$2" "$3" "$4" "$5" && pass "$1 shows $2" ||
        fail "$1 shows $(colourAt "$3" "$4" "$5" | grep . || echo nothing), not $2"
}
simSaw() { grep -q "<- $1" "${2:-$sim_log}"; } # simSaw FRAME [LOG]
# The line of the simulator's log where it last received a frame.
lastLine() { grep -n "<- $1" "$sim_log" | tail -1 | cut -d: -f1 | grep . || echo 0; }
running() { kill -0 "$app_pid" 2>/dev/null; }
# The time in ms by the clock of the simulator's log (the system's uptime,
# which a virtual machine never suspended keeps with the monotonic clock),
# read at once: a python3 that starts takes a quarter second here.
now() { awk '{ printf "%d", $1 * 1000 }' /proc/uptime; }

# Screenshots go to STEPDRIVE_XTEST_SHOTS when it names a folder.
shot() { [ -n "${STEPDRIVE_XTEST_SHOTS:-}" ] && sleep 0.3 && import -window root "$STEPDRIVE_XTEST_SHOTS/$1.png"; }

# A driver simulator: startSim NAME [OPTION...]; its line is then in $line,
# its log in $sim_log.
startSim() {
    local name=$1; shift
    sim_log=$work/$name.log
    "$sim" --verbose "$@" >"$work/$name.out" 2>"$sim_log" &
    sim_pid=$!
    pids+=($sim_pid)
    waitFor 5 test -s "$work/$name.out" || { fail "stepdrive-sim did not start"; exit 1; }
    line=$(head -1 "$work/$name.out")
}
startApp() { # startApp [ARGUMENT...]
    QT_QPA_PLATFORM=xcb "$app" "$@" >>"$work/app.log" 2>&1 &
    app_pid=$!
    pids+=($app_pid)
    waitFor 10 shown MAIN || { fail "the main panel did not open"; cat "$work/app.log"; exit 1; }
    pass "the main panel opened"
}
# "통신설정" on the main panel, and the dialog shows.
openDialog() {
    click MAIN 360 120 1455 855
    waitFor 5 shown START && pass "the dialog opened" || fail "the dialog did not open"
}
# A device path typed into the port box.
typePort() { click START 360 600 2535 300 && xdotool key ctrl+a type "$1"; }
# "통신 연결", then "원점" on the main panel reaches the simulator logging to
# LOG: connectAndHome WHAT LOG
connectAndHome() {
    click START 4920 240 2055 855
    waitFor 5 gone START && waitFor 5 shown MAIN && pass "connected to $1" ||
        fail "connect to $1 did not return to the main panel"
    click MAIN 7680 3360 855 1335
    waitFor 3 simSaw "AA  00  07  01" "$2" && pass "the home search reached $1" ||
        fail "the home search did not reach $1"
}

# After a motion the motor may still be moving, and leaving asks first: the
# second answer leaves it as it is ("그대로 통신 정지", "그대로 종료").
leaveAsItIs() {
    if waitFor 1 shown stepdrive; then
        xdotool key --window "$(windows stepdrive | tail -1)" Tab space
        waitFor 3 gone stepdrive || fail "the question before leaving did not close"
    fi
}
# "통신 정지" in the dialog.
disconnectLine() {
    click START 4920 1200 2055 735
    leaveAsItIs
}
# "종료" on WINDOW, and the program ends.
exitFrom() { # exitFrom WINDOW
    click "$1" 6960 120 1455 855
    leaveAsItIs
    waitFor 5 eval '! running' || fail "종료 did not end the program"
}
# A new simulator, and the running program moved over to it through the
# dialog: connectToSim WHAT NAME [OPTION...]
connectToSim() {
    local what=$1; shift
    startSim "$@"
    openDialog
    disconnectLine
    typePort "$line"
    click START 4920 240 2055 855
    waitFor 5 gone START && waitFor 5 shown MAIN || fail "connect to the $what driver did not return"
}

# One message box for WHAT, still alone after a moment: oneBox WHAT [SECONDS]
oneBox() {
    waitFor 5 shown stepdrive && pass "$1 shows a message box" || fail "$1 showed no message box"
    sleep "${2:-0.5}"
    [ "$(count stepdrive)" = 1 ] && pass "one message box for $1" ||
        fail "$(count stepdrive) message boxes for $1, not 1"
}
fileDialog() { # fileDialog KEY TITLE NAME: the dialog opened with KEY takes NAME
    clickAt MAIN 144 $((3000 / 15 + 16)) && xdotool key "$1" # on the main panel, in a box
    waitFor 5 shown "$2" && pass "$1 opened \"$2\"" || { fail "$1 opened no \"$2\""; return 1; }
    # Typed once the dialog has the keyboard.
    waitFor 3 eval '[ "$(xdotool getwindowfocus)" = "$(windows "'"$2"'" | head -1)" ]' ||
        fail "\"$2\" did not take the keyboard"
    xdotool type "$3"
    shot "dialog-$1"
    xdotool key Return
    waitFor 5 gone "$2" || fail "\"$2\" did not close"
}
