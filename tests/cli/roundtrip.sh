#!/usr/bin/env bash
# What vorn-cli writes, it reads back the same: saved structures keep their atoms, bonds and
# positions; exported trajectories keep their frames; a failed save leaves the old file alone.
#   roundtrip.sh VORN_CLI TESTS_DIR
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
counts() { "$cli" info "$1" | grep -E '^(atoms|hetero|chains|residues|bonds):'; }

"$cli" save "$data/1crn.pdb" -o "$work/crn" --precision 5 || failed=$((failed + 1))
check "save appends .pdb" test -s "$work/crn.pdb"
check "saved counts" diff <(counts "$data/1crn.pdb") <(counts "$work/crn.pdb")
check "saved bonds" diff <("$cli" bonds "$data/1crn.pdb") <("$cli" bonds "$work/crn.pdb")
check "saved positions" test "$("$cli" rmsd "$data/1crn.pdb" "$work/crn.pdb")" = "RMSD = 0.000"

# Another conformation of the same protein, turned and moved elsewhere (22.259 Å apart by mass),
# aligned onto the first by mass and saved: the saved copy lies where the alignment put it, 1.006 Å
# away, so an alignment that moved nothing fails.
frame=$data/dcd/adk_frame2.pdb.gz
"$cli" rmsd "$data/adk_closed.pdb" "$frame" --align --mass -o "$work/moved.pdb" >/dev/null
check "moved copy" \
    test "$("$cli" rmsd "$data/adk_closed.pdb" "$work/moved.pdb" --mass)" = "RMSD = 1.006"
check "not moved" test "$("$cli" rmsd "$data/adk_closed.pdb" "$frame" --mass)" = "RMSD = 22.259"

"$cli" traj "$data/adk_closed.pdb" -dcd "$data/dcd/adk_2frames.dcd" -o "$work/traj.pdb"
exported=$("$cli" info -multi "$work/traj.pdb" | grep -E '^(frames|atoms):' | sort | xargs)
check "exported frames and atoms" test "$exported" = "atoms: 3341 frames: 1"

# A save that runs out of room half-way fails and leaves the old file as it was.
cp "$work/crn.pdb" "$work/keep.pdb"
(ulimit -f 8; trap '' XFSZ; "$cli" save "$data/1ubq.pdb" -o "$work/keep.pdb" 2>/dev/null)
check "failed save reports failure" test $? -ne 0
check "failed save keeps the old file" cmp -s "$work/crn.pdb" "$work/keep.pdb"
check "no temporary left" test "$(ls "$work" | wc -l)" = 4

summary
