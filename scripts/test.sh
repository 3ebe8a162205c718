#!/usr/bin/env bash
# Builds and runs every test headless. KADRIMARK_SANITIZE=1 runs them in the
# sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ "${KADRIMARK_SANITIZE:-0}" = 1 ]; then dir=${KADRIMARK_BUILD_DIR:-build-asan}; else dir=${KADRIMARK_BUILD_DIR:-build}; fi
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
