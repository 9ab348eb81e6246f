#!/bin/bash
# Builds the fuzz targets (tests/fuzz/) with clang, libFuzzer and both
# sanitizers in build-fuzz/, then runs them one after another.
#
# usage: tools/fuzz.sh [-t SECONDS] [-n INPUTS] [TARGET...]
#   -t SECONDS  how long each target runs (default 600)
#   -n INPUTS   stop a target after this many inputs (with -t: whichever comes first)
#   TARGET      game_file, settings, bitmap, cli_input, ladder (default: all of them)
#
# Each target starts from its seed corpus (tests/fuzz/corpus/TARGET) and the
# inputs earlier runs found (build-fuzz/corpus/TARGET, where new ones go).
# An input that crashes a target or breaks one of its checks is saved as
# build-fuzz/findings/TARGET-crash-... (or -timeout-, -oom-); run the target
# on it to see the report again: build-fuzz/tests/fuzz/fuzz_TARGET FILE.
# The full output of each run is in build-fuzz/logs/TARGET.log.
# Exit status: 0 nothing found, 1 a target found something, 2 usage or build error.
set -u
cd "$(dirname "$0")/.." || exit 2
. tools/setup-common.sh

seconds=600
inputs=""
usage() {
    sed -n '5,8s/^# \{0,1\}//p' "$0" >&2
    exit 2
}
while getopts "t:n:h" option; do
    case $option in
    t) seconds=$OPTARG ;;
    n) inputs=$OPTARG ;;
    *) usage ;;
    esac
done
shift $((OPTIND - 1))
[[ $seconds =~ ^[0-9]+$ && $seconds -gt 0 ]] || usage
[[ -z $inputs || $inputs =~ ^[0-9]+$ ]] || usage

all_targets="game_file settings bitmap cli_input ladder"
targets=${*:-$all_targets}
for target in $targets; do
    [[ " $all_targets " == *" $target "* ]] || { echo "fuzz.sh: no target '$target' ($all_targets)" >&2; exit 2; }
done

ensure_packages $BUILD_PACKAGES $TEST_PACKAGES || exit 2
build=build-fuzz
names=""
for target in $targets; do names="$names fuzz_$target"; done
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUNDA_FUZZ=ON \
    -DVELUNDA_TESTS=OFF >/dev/null &&
    cmake --build "$build" -j "$(nproc)" --target $names || exit 2

mkdir -p "$build/findings" "$build/logs"
# Where undefined behaviour happened, not only what.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
status=0
for target in $targets; do
    mkdir -p "$build/corpus/$target"
    log=$build/logs/$target.log
    limits="-max_total_time=$seconds"
    [ -n "$inputs" ] && limits="$limits -runs=$inputs"
    echo "-- fuzz_$target: $limits"
    # -timeout: an input taking longer than this counts as a hang.
    "$build/tests/fuzz/fuzz_$target" "$build/corpus/$target" "tests/fuzz/corpus/$target" $limits \
        -timeout=30 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" >"$log" 2>&1
    result=$?
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units' "$log"
    if [ "$result" -ne 0 ]; then
        echo "fuzz_$target FOUND A FAULT (exit status $result):"
        grep -E 'ERROR|runtime error|fuzz: property failed|SUMMARY|Test unit written|^    #[0-9]' "$log" | head -40
        status=1
    fi
done
exit "$status"
