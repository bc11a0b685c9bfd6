# Sourced by the X-server tests and the benchmarks: an X server of the
# caller's own. It picks a free display itself (-displayfd) and does not
# reset when its last client leaves (-noreset): a program that connects
# during a reset is refused and aborts.
#
#   startXvfb DIR [SCREEN]   SCREEN defaults to 1280x1024x24; DIR keeps the
#                            server's display number and log
#
# Sets DISPLAY and xvfb_pid, or returns 1 with the server's last words in
# xvfb_error. The caller stops the server (kill "$xvfb_pid").
startXvfb() {
    local dir=$1 screen=${2:-1280x1024x24}
    : >"$dir/display"
    Xvfb -displayfd 3 -noreset -screen 0 "$screen" -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
    if [ ! -s "$dir/display" ]; then
        xvfb_error=$(tail -1 "$dir/xvfb.log")
        return 1
    fi
    export DISPLAY=:$(head -1 "$dir/display")
}
