#!/bin/bash
# Runs a command on a private X display (Xvfb with openbox as window
# manager) and tears both down afterwards, so tests can run side by side.
# Usage: with-display.sh COMMAND [ARGS...]
set -u

fifo_dir=$(mktemp -d)
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo_dir/display" 2>"$fifo_dir/xvfb.log" &
xvfb_pid=$!
read -r -t 60 display_number <"$fifo_dir/display" || {
    echo "with-display: Xvfb did not start" >&2
    cat "$fifo_dir/xvfb.log" >&2
    kill "$xvfb_pid" 2>/dev/null
    rm -rf "$fifo_dir"
    exit 1
}
export DISPLAY=":$display_number"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1

openbox --sm-disable >"$fifo_dir/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has claimed the screen. The tests need
# it (windows are found and moved through it), and on a loaded machine it can
# take many seconds to start: wait long, and never run the tests without it.
wm_ready=0
for _ in $(seq 1200); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        wm_ready=1
        break
    fi
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.1
done

if [ "$wm_ready" -eq 1 ]; then
    "$@"
    status=$?
    kill -0 "$wm_pid" 2>/dev/null || echo "with-display: the window manager ended during the tests" >&2
else
    echo "with-display: the window manager (openbox) did not start on $DISPLAY" >&2
    status=1
fi
[ "$status" -ne 0 ] && [ -s "$fifo_dir/openbox.log" ] && { echo "openbox said:" >&2; cat "$fifo_dir/openbox.log" >&2; }

kill "$wm_pid" "$xvfb_pid" 2>/dev/null
wait "$wm_pid" "$xvfb_pid" 2>/dev/null
rm -rf "$fifo_dir"
exit $status
