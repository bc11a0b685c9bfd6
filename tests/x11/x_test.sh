# Sourced first by the X-server tests: a scratch folder, an X server of the
# test's own, a machine whose serial devices the program never sees, and the
# checks and waits the tests share. `tools` names what a test needs besides
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

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# The windows of the program, visible, by exact name.
windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
waitFor() { # waitFor SECONDS COMMAND...: until the command succeeds
    local until=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -ge $until ] && return 1; sleep 0.1; done
}
shown() { [ -n "$(windows "$1")" ]; }
gone() { [ -z "$(windows "$1")" ]; }
