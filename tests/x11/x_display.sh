# Sourced by the scripts that run the shipped program on an X server of their
# own: the display, and a machine whose serial devices the program never sees.

# own_display DIR: starts Xvfb on a free display it picks itself, adds its pid
# to `pids` and exports DISPLAY; fails when no X server came up.
own_display() {
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$1/display" ] && break; sleep 0.1; done
    [ -s "$1/display" ] || return 1
    export DISPLAY=:$(head -1 "$1/display")
}

# no_machine_ports DIR: the program's settings stay in DIR, and the dialog's
# probe finds COM 1 to 10 pointing nowhere and the system listing no device.
no_machine_ports() {
    export XDG_CONFIG_HOME=$1/config
    for name in $(compgen -e | grep '^STEPDRIVE_COM'); do unset "$name"; done
    for n in $(seq 10); do export "STEPDRIVE_COM$n=/nonexistent/stepdrive-COM$n"; done
    export STEPDRIVE_SERIAL_DEVICES=
}
