#!/usr/bin/env bash
# Sets everything up and runs every test: the fuzz targets for a short while, the whole suite under
# AddressSanitizer and UBSan, the trajectory tests under ThreadSanitizer, and last the whole suite
# in the ordinary build with warnings as errors. The suites run on a virtual X display (Xvfb), where
# the viewer's windows open; a GUI test that finds no display fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
VORN_FUZZ_SEED=1 scripts/fuzz.sh 20
scripts/sanitize.sh
VORN_CMAKE_ARGS="-DVORN_WERROR=ON" scripts/build.sh
cd "${VORN_BUILD_DIR:-build}"
../scripts/with-display.sh ctest --output-on-failure -j 2
