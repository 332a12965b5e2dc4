#!/usr/bin/env bash
# Builds the two fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each in turn.
#
#   ./fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS: how long each target runs (default 60). TARGET: fuzz_open and/or
# fuzz_effects (default both). Each target first replays its saved regression
# inputs (tests/fuzz/regressions/TARGET/), then fuzzes from its working corpus
# (build-fuzz/corpus/TARGET/, kept between runs) and the generated seeds.
# A crash, a sanitizer report, a broken promise of the library, an input that
# runs longer than 60 s, needs more than 4 GiB of memory or asks for a single
# block of 8 GiB or more ends the run with a non-zero status (a larger single
# block that is never touched, as the toolkit's ICNS reader asks for on a bad
# length, is left to the QtTests, which make it fail for real); the input is saved under build-fuzz/findings/. The log of each run is
# build-fuzz/TARGET.log.
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_OPTIONS (more libFuzzer
# options, for instance -seed=1), FUZZ_CMAKE_ARGS (more CMake options, for instance
# -DGLIMMERIX_SOURCE_ROOT=/some/checkout to fuzz another tree's effects).
set -euo pipefail
cd "$(dirname "$0")"

seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_open fuzz_effects)
build=${FUZZ_BUILD_DIR:-build-fuzz}

scripts/install-deps clang libclang-rt-14-dev
# shellcheck disable=SC2086 # FUZZ_CMAKE_ARGS holds several options
CC=clang CXX=clang++ cmake -S tests/fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    ${FUZZ_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"

export QT_QPA_PLATFORM=offscreen
# libFuzzer checks for leaks after every input; the check at exit is left out, as
# LeakSanitizer's own thread can crash while the toolkit's threads wind down.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:leak_check_at_exit=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

rm -rf "$build/seeds"
"$build/make_seeds" "$build/seeds/fuzz_open" "$build/seeds/fuzz_effects" tests/data/badinputs bmpshow
mkdir -p "$build/findings"

for target in "${targets[@]}"; do
    case $target in
        fuzz_open) max_len=8192 ;;
        fuzz_effects) max_len=10000 ;;
        *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
    esac
    regressions=tests/fuzz/regressions/$target
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        echo "== $target: replaying $(ls "$regressions" | wc -l) regression inputs"
        "$build/$target" -rss_limit_mb=4096 -malloc_limit_mb=8192 "$regressions"/*
    fi
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    echo "== $target: fuzzing for $seconds s"
    # shellcheck disable=SC2086 # FUZZ_OPTIONS holds several options
    "$build/$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 -malloc_limit_mb=8192 \
        -max_len=$max_len -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        ${FUZZ_OPTIONS:-} "$corpus" "$build/seeds/$target" > "$build/$target.log" 2>&1 || {
        status=$?
        tail -n 60 "$build/$target.log"
        echo "== $target: FOUND A FAULT (status $status); the input is in $build/findings/" >&2
        exit 1
    }
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::|^Done' "$build/$target.log" || true
done
echo "== fuzzing finished without findings"
