#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite offscreen.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
scripts/build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure --timeout 600 -j "$(nproc 2>/dev/null || echo 2)"
