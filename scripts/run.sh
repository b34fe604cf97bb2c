#!/usr/bin/env bash
# Sets everything up, builds Vorn and opens the viewer on a bundled real structure. Without a
# display it says so and draws the structure into a picture with vorn-cli instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh vorn vorn-cli
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/vorn tests/data/1crn.pdb
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the viewer cannot open its window."
echo "Here is the structure's summary, and its picture from vorn-cli instead:"
build/vorn-cli info tests/data/1crn.pdb
build/vorn-cli render tests/data/1crn.pdb --mode ballstick -o build/1crn.png
echo "picture: build/1crn.png"
