#!/usr/bin/env bash
# Configures and builds into build/ (or $KADRIMARK_BUILD_DIR), warnings as
# errors. KADRIMARK_SANITIZE=1 builds with the address and undefined-behaviour
# sanitizers into build-asan/ instead, KADRIMARK_SANITIZE=thread with the
# thread sanitizer into build-tsan/. Arguments go to `cmake --build` (for
# example `--target shell_tests` or `-j2`).
set -euo pipefail
cd "$(dirname "$0")/.."

flags=(-DKADRIMARK_WERROR=ON)
case "${KADRIMARK_SANITIZE:-0}" in
  1) dir=${KADRIMARK_BUILD_DIR:-build-asan}; flags+=(-DKADRIMARK_SANITIZE=ON) ;;
  thread) dir=${KADRIMARK_BUILD_DIR:-build-tsan}; flags+=(-DKADRIMARK_TSAN=ON) ;;
  *) dir=${KADRIMARK_BUILD_DIR:-build} ;;
esac
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" "$@"
