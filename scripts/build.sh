#!/usr/bin/env bash
# Configures and builds Vorn into build/ (or $VORN_BUILD_DIR). Builds share a lock so that two
# never run at once on a small machine. Arguments name the targets to build (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VORN_BUILD_DIR:-build}
exec 9>/tmp/vorn-build.lock
flock 9
cmake -S . -B "$build" -G Ninja ${VORN_CMAKE_ARGS:-} >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build" -j 2 --target "$@"
else
    cmake --build "$build" -j 2
fi
