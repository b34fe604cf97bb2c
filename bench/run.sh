#!/usr/bin/env bash
# Runs every benchmark: the structure read at 10k, 100k and 1M atoms (each size in its own process
# so that the peak resident memory belongs to it) and the 1M atoms as mmCIF, vorn-cli info from
# 100k to 10M atoms (plain and gzip, one thread and all), DCD reading from a ~1 GB trajectory,
# trajectory processing (also of 1M atoms x 50 frames), superposition, the molecular surface,
# hydrogen bonds, the off-screen frame time of every drawer and of one pick, the steps of
# vorn-cli render of 1M atoms, surfaces on screen, the vector pictures and captures, the viewer's
# window on a virtual display (start-up to the first frame, frame time while turning, CPU at
# rest, spinning and playing) and movie recording.
# Usage: bench/run.sh [SOURCE.pdb] [SOURCE.dcd]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh read_bench dcd_bench trajectory_bench superposition_bench surface_bench \
    hydrogen_bonds_bench serial_lookup_bench render_bench surface_render_bench pictures_bench \
    window_bench vorn-cli >/dev/null
pdb=${1:-tests/data/1aki.pdb}
dcd=${2:-tests/data/dcd/adk_2frames.dcd}
work=${TMPDIR:-/tmp}
for n in 10000 100000 1000000; do
    echo "== read: $n atoms from $pdb"
    build/bench/read_bench "$pdb" "$n" "$work"
done
echo "== read: the same 1000000 atoms written as mmCIF"
build/bench/read_bench "$pdb" 1000000 "$work" --mmcif
echo "== load at scale: vorn-cli info on 100k, 1M and 10M atoms, plain and gzip, 1 and all threads"
bench/load_scale.sh 5
echo "== serial lookups that miss: 400k atoms each naming a missing serial in CONECT"
build/bench/serial_lookup_bench 400000 "$work"
echo "== DCD read: ~1 GB built from $dcd"
build/bench/dcd_bench "$dcd" "$work"
echo "== trajectory processing"
build/bench/trajectory_bench 3341 1000 "$work"
echo "== trajectory at scale: 1000000 atoms x 50 frames"
build/bench/trajectory_bench 1000000 50 "$work"
echo "== superposition"
build/bench/superposition_bench
echo "== surface"
build/bench/surface_bench
echo "== hydrogen bonds: 100k atoms from $pdb"
build/bench/hydrogen_bonds_bench "$pdb" 100000
echo "== render: frame times at 10k and 100k atoms from $pdb"
build/bench/render_bench "$pdb" 10000 100000 --workdir "$work"
echo "== pictures: EPS, SVG, PDF of 10000 atoms in CPK, RenderToDIB, vorn-cli render of 100000"
build/bench/pictures_bench "$pdb" build/vorn-cli --workdir "$work"
echo "== pictures at scale: vorn-cli render of 1000000 atoms in wire and CPK, step by step"
scripts/build.sh picture_scale_bench >/dev/null
build/bench/picture_scale_bench "$pdb" 1000000 --workdir "$work" --cli build/vorn-cli
echo "== surface on screen: build and first frame, and turning, at 5000 and 50000 atoms"
build/bench/surface_render_bench --workdir "$work"
echo "== window: start-up of vorn tests/data/1crn.pdb to its first frame, 10 processes"
scripts/with-display.sh build/bench/window_bench startup tests/data/1crn.pdb 10
echo "== window: frame time while turning 10000 atoms from $pdb, 800 x 600"
scripts/with-display.sh build/bench/window_bench frames "$pdb" 10000
echo "== window: CPU at rest, spinning and playing"
scripts/with-display.sh build/bench/window_bench cpu tests/data/1crn.pdb
scripts/with-display.sh build/bench/window_bench cpu tests/data/2eqq.pdb -multi
echo "== movie: 100 frames of 640 x 480 recorded and written, per codec"
scripts/build.sh movie_bench >/dev/null
build/bench/movie_bench 100 --workdir "$work"
