#!/usr/bin/env bash
# Sets everything up, builds Vorn and shows it a bundled real structure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh vorn-cli
build/vorn-cli info tests/data/1crn.pdb
build/vorn-cli render tests/data/1crn.pdb --mode ballstick -o build/1crn.png
echo "picture: build/1crn.png"
