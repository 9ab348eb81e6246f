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

openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
# The window manager is ready once it has claimed the screen.
for _ in $(seq 600); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done

"$@"
status=$?

kill "$wm_pid" "$xvfb_pid" 2>/dev/null
wait "$wm_pid" "$xvfb_pid" 2>/dev/null
rm -rf "$fifo_dir"
exit $status
