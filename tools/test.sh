#!/bin/bash
# Sets up this machine (Debian 12), builds everything and runs every test
# with CTest: once as released (build/), once with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-sanitize/), then runs each fuzz target
# briefly (build-fuzz/, see tools/fuzz.sh). Tests that need a display
# start their own Xvfb with openbox. The exit status is the tests' result.
set -u
cd "$(dirname "$0")/.." || exit 1
. tools/setup-common.sh

ensure_packages $BUILD_PACKAGES $TEST_PACKAGES || exit 1
jobs=$(nproc)
status=0

echo "== Release build and tests"
if configure_and_build build -DCMAKE_BUILD_TYPE=Release -DVELUNDA_TESTS=ON; then
    (cd build && ctest --output-on-failure --no-tests=error -j "$jobs") || status=1
else
    status=1
fi

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
if configure_and_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELUNDA_SANITIZE=ON -DVELUNDA_TESTS=ON; then
    (cd build-sanitize && ctest --output-on-failure --no-tests=error -j "$jobs") || status=1
else
    status=1
fi

# Each fuzz target for a short while: inputs that crashed a target before
# are in its seed corpus, and a few hundred thousand new ones are tried.
echo "== Fuzz targets (libFuzzer), 15 seconds each"
bash tools/fuzz.sh -t 15 || status=1

[ "$status" -eq 0 ] && echo "== All tests passed" || echo "== Some tests FAILED"
exit "$status"
