#!/usr/bin/env bash
# Sets everything up, builds Vorn and shows it a bundled real structure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh vorn-cli
build/vorn-cli info tests/data/1crn.pdb
