#!/usr/bin/env bash
# Configures and builds into build/ (or $KADRIMARK_BUILD_DIR). With
# KADRIMARK_SANITIZE=1 it builds with address and undefined-behaviour sanitizers
# into build-asan/ instead.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${KADRIMARK_SANITIZE:-0}" = 1 ]; then
  dir=${KADRIMARK_BUILD_DIR:-build-asan}
  flags=(-DKADRIMARK_SANITIZE=ON)
else
  dir=${KADRIMARK_BUILD_DIR:-build}
  flags=()
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" "$@"
