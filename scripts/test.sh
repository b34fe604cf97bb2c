#!/usr/bin/env bash
# Sets everything up, builds Vorn with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
VORN_CMAKE_ARGS="-DVORN_WERROR=ON" scripts/build.sh
cd "${VORN_BUILD_DIR:-build}"
ctest --output-on-failure -j 2
