#!/bin/bash
# Runs a command on a private X display (Xvfb with openbox as window
# manager) and tears both down afterwards, so tests can run side by side.
# Usage: with-display.sh COMMAND [ARGS...]
# The screen is 1024 x 768 unless VELUNDA_TEST_SCREEN says otherwise (WxHxDEPTH).
set -u

fifo_dir=$(mktemp -d)
xvfb_pid=
wm_pid=

stop_display() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    # Wait for both to end: a server still shutting down removes the socket
    # of its display number, which a new server may already have taken.
    wait 2>/dev/null
    wm_pid=
    xvfb_pid=
}

# Starts Xvfb and openbox; true once the window manager has claimed the
# screen. The tests need it (windows are found and moved through it), and on
# a loaded machine it can take many seconds to start: wait long.
start_display() {
    rm -f "$fifo_dir/display"
    mkfifo "$fifo_dir/display"
    Xvfb -displayfd 3 -screen 0 "${VELUNDA_TEST_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fifo_dir/display" 2>"$fifo_dir/xvfb.log" &
    xvfb_pid=$!
    local display_number
    read -r -t 60 display_number <"$fifo_dir/display" || { echo "with-display: Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$display_number"
    # A server that lost its socket to another one's shutdown takes no clients.
    xdpyinfo >/dev/null 2>&1 || { echo "with-display: Xvfb on $DISPLAY takes no clients" >&2; return 1; }
    openbox --sm-disable >"$fifo_dir/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 1200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        kill -0 "$wm_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "with-display: the window manager (openbox) did not start on $DISPLAY" >&2
    cat "$fifo_dir/openbox.log" >&2
    return 1
}

export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
ready=0
for attempt in 1 2 3 4 5; do
    if start_display; then
        ready=1
        break
    fi
    cat "$fifo_dir/xvfb.log" >&2
    stop_display
    sleep "$attempt"
done

if [ "$ready" -eq 1 ]; then
    "$@"
    status=$?
    kill -0 "$wm_pid" 2>/dev/null || echo "with-display: the window manager ended during the tests" >&2
else
    echo "with-display: no display with a window manager after 5 attempts" >&2
    status=1
fi
stop_display
rm -rf "$fifo_dir"
exit $status
