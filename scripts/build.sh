#!/usr/bin/env bash
# Configures and builds Vorn into build/ (or $VORN_BUILD_DIR). Builds share a lock so that two
# never run at once on a small machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VORN_BUILD_DIR:-build}
exec 9>/tmp/vorn-build.lock
flock 9
cmake -S . -B "$build" -G Ninja ${VORN_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j 2 "$@"
