#!/usr/bin/env bash
# vorn-cli render end to end, with no display server: PNG and BMP files of the requested size, and
# a failed write that leaves nothing behind.
#   render.sh VORN_CLI TESTS_DIR
set -u
cli=$1
data=$2/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY
passed=0
failed=0
check() { # name, condition...
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
# A little-endian 32-bit field of a file at a byte offset.
field() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

"$cli" render "$data/1crn.pdb" -o "$work/a.png" --mode cpk --size 200x150
check "png written" test "$(head -c 8 "$work/a.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a
# The PNG header chunk holds width and height big-endian at offsets 16 and 20.
check "png size" test "$(od -An -tx1 -j16 -N8 "$work/a.png" | tr -d ' \n')" = 000000c800000096

"$cli" render "$data/1crn.pdb" -o "$work/b.bmp" --size 250x250
check "bmp header" test "$(head -c 2 "$work/b.bmp")" = BM
check "bmp width" test "$(field "$work/b.bmp" 18)" = 250
check "bmp file size" test "$(stat -c %s "$work/b.bmp")" = $((54 + 752 * 250))

"$cli" render "$data/1crn.pdb" -o "$work/missing/c.png" 2>"$work/err"
status=$?
check "unwritable: status" test $status -eq 1
check "unwritable: message" grep -q "Unable to open $work/missing/c.png for writing" "$work/err"
# A target that cannot be replaced (a directory of that name): the write fails at the end and
# leaves no temporary beside it.
mkdir "$work/taken.png"
"$cli" render "$data/1crn.pdb" -o "$work/taken.png" --size 64x48 2>"$work/err"
check "unreplaceable: status" test $? -eq 1
check "unreplaceable: message" grep -q "Unable to write $work/taken.png" "$work/err"
check "unreplaceable: nothing left" test "$(ls "$work" | sort | tr '\n' ' ')" = "a.png b.bmp err taken.png "

# Backbone modes by name or number draw the same picture.
mkdir "$work/modes"
for mode in trace-sticks:6 trace-wire:7 spline:8 ribbon:9 flat-ribbon:10 tube:11 \
    temperature-tube:12 occupancy-tube:13; do
    "$cli" render "$data/1crn.pdb" -o "$work/modes/name.png" --mode "${mode%:*}" --size 80x60
    "$cli" render "$data/1crn.pdb" -o "$work/modes/number.png" --mode "${mode#*:}" --size 80x60
    check "mode $mode" cmp -s "$work/modes/name.png" "$work/modes/number.png"
done

# Each annotation asked for changes the picture.
"$cli" render "$data/1crn.pdb" -o "$work/plain.bmp" --size 160x120
for overlay in labels axes hbonds; do
    "$cli" render "$data/1crn.pdb" -o "$work/$overlay.bmp" --size 160x120 "--$overlay"
    check "--$overlay: status" test $? -eq 0
    check "--$overlay: drawn" test -n "$(cmp "$work/plain.bmp" "$work/$overlay.bmp")"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
