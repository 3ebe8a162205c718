#!/usr/bin/env bash
# Builds and runs every test headless. KADRIMARK_SANITIZE=1 runs them in the
# address and undefined-behaviour sanitizer build (leaks detected too);
# KADRIMARK_SANITIZE=thread runs the tests that start threads (change watcher,
# flush group, device relay, drive probe, picture loader, file work) in the thread
# sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

export QT_QPA_PLATFORM=offscreen
case "${KADRIMARK_SANITIZE:-0}" in
  1)
    dir=${KADRIMARK_BUILD_DIR:-build-asan}
    scripts/build.sh -j "$jobs"
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
    ;;
  thread)
    dir=${KADRIMARK_BUILD_DIR:-build-tsan}
    scripts/build.sh -j "$jobs" --target framework_tests platform_tests shell_tests
    export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1}
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" \
      -R '^(AtomicFileGroup|ChangeNotification|DeviceChange|ChangeHandlerThread|Drives|ThumbnailLoader|FileWork)'
    ;;
  *)
    dir=${KADRIMARK_BUILD_DIR:-build}
    scripts/build.sh -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
    ;;
esac
