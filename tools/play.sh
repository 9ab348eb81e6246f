#!/bin/bash
# Sets up this machine (Debian 12), builds the game and starts it in the
# ready-to-run folder build/runtime on the current display.
# Arguments are passed to the game (for example -m for the small window).
set -u
cd "$(dirname "$0")/.." || exit 1
. tools/setup-common.sh

ensure_packages $BUILD_PACKAGES || exit 1
configure_and_build build -DCMAKE_BUILD_TYPE=Release -DVELUNDA_TESTS=OFF || exit 1

if [ -z "${DISPLAY:-}" ]; then
    # Absolute paths: the hint must work from whatever folder it is read in.
    runtime=$(pwd)/build/runtime
    cat >&2 <<MSG
The game is built in $runtime, but there is no display to show it on.
Start it from a desktop session, or on a virtual display:
    apt-get install -y xvfb && cd $(printf %q "$runtime") && xvfb-run -s '-screen 0 1024x768x24' ./Velunda
MSG
    exit 2
fi
cd build/runtime && exec ./Velunda "$@"
