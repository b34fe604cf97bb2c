#!/usr/bin/env bash
# Runs the read benchmark at 10k, 100k and 1M atoms, each in its own process so that the peak
# resident memory belongs to one size. Usage: bench/run.sh [SOURCE.pdb]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh read_bench >/dev/null
source=${1:-tests/data/1aki.pdb}
for n in 10000 100000 1000000; do
    echo "== $n atoms from $source"
    build/bench/read_bench "$source" "$n" "${TMPDIR:-/tmp}"
done
