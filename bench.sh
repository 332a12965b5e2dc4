#!/usr/bin/env bash
# Builds the effect benchmark with the product's own flags (RelWithDebInfo: -O2,
# portable x86-64, the effects pick their vector code at run time), runs it on
# this machine and records the run in bench/RESULTS.md.
#
# The reference forms at 6000x4000 take seconds to minutes each: they are timed
# once, and not at all for the five slowest (median 9 and 3, gauss 5.0, sharpen,
# zoom2 200). Everything else is the median of repeated runs. The whole run takes
# about 8 minutes on two quiet cores.
#
# Options are passed to the benchmark: --quick (one short repetition each),
# --no_large (768x576 only), and Google Benchmark's own, e.g.
# --benchmark_filter=gauss. BENCH_BUILD_DIR chooses the build folder
# (default build-bench); RESULTS (default bench/RESULTS.md) the record.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps libbenchmark-dev libopencv-dev

build_dir=${BENCH_BUILD_DIR:-build-bench}
results=${RESULTS:-bench/RESULTS.md}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMMERIX_BENCH=ON >/dev/null
cmake --build "$build_dir" --target glimmerix_bench --parallel "$(nproc 2>/dev/null || echo 2)"

table=$(mktemp)
trap 'rm -f "$table"' EXIT
export QT_QPA_PLATFORM=offscreen
load_before=$(cut -d ' ' -f 1-3 /proc/loadavg)
started=$(date +%s)
"$build_dir/bench/glimmerix_bench" --results_md="$table" "$@"
load_after=$(cut -d ' ' -f 1-3 /proc/loadavg)
minutes=$(( ($(date +%s) - started + 59) / 60 ))

cpu=$(LC_ALL=C lscpu | sed -n 's/^Model name: *//p' | head -n 1)
flags=$(grep -m 1 -o -w -E 'avx512f|avx2|fma' /proc/cpuinfo | sort -u | paste -s -d ' ' || true)
os=$(. /etc/os-release && echo "$PRETTY_NAME")
compiler=$(c++ --version | head -n 1)
opencv=$(pkg-config --modversion opencv4 2>/dev/null || echo "not installed")
{
  echo "# Effect benchmark"
  echo
  echo "Recorded by ./bench.sh${*:+ $*} on $(date -u +%Y-%m-%d), in about $minutes minutes."
  echo
  echo "- Machine: ${cpu:-unknown}, $(nproc) cores (vector units: ${flags:-baseline}), $(free -g | awk '/^Mem:/ {print $2}') GiB"
  echo "- System: $os, $compiler, build type RelWithDebInfo (-O2), no -march flags"
  echo "- OpenCV $opencv (8-bit fixed point), same picture as BGR, same thread counts"
  echo "- Picture: deterministic photo-like RGB32 (gradients, noise, flat and saturated areas, hard edges)"
  echo "- Times: median of 5 runs at 768x576 (reference: of 3), of 3 at 6000x4000 (reference: one run,"
  echo "  and none for median 9 and 3, gauss 5.0, sharpen 1.0 and zoom2 200, minutes each)"
  echo "- \"ours 2 threads\" is all threads of this machine ($(nproc)); OpenCV likewise"
  echo "- Load average of the machine (other work included): $load_before before, $load_after after"
  echo
  cat "$table"
  if [ -f bench/NOTES.md ]; then
    echo
    cat bench/NOTES.md
  fi
} > "$results"
echo "Recorded in $results"
