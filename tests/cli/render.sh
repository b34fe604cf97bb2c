#!/usr/bin/env bash
# vorn-cli render end to end, with no display server: PNG and BMP files of the requested size, and
# a failed write that leaves nothing behind.
#   render.sh VORN_CLI TESTS_DIR
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
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
check "unreplaceable: nothing left" \
    test "$(ls "$work" | sort | tr '\n' ' ')" = "a.png b.bmp err taken.png "

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

# --polygons draws the spheres as polygons: another picture of about the same coverage (the
# impostors' outlines are round, the polygons' are not quite).
"$cli" render "$data/1crn.pdb" -o "$work/imp.bmp" --size 160x120 --mode cpk
"$cli" render "$data/1crn.pdb" -o "$work/poly.bmp" --size 160x120 --mode cpk --polygons
check "--polygons: status" test $? -eq 0
check "--polygons: drawn" test -n "$(cmp "$work/imp.bmp" "$work/poly.bmp")"
lit() {
    tail -c $((160 * 120 * 3)) "$1" | od -An -v -tu1 -w3 |
        awk '$1 + $2 + $3 > 24 { n++ } END { print n + 0 }'
}
check "--polygons: coverage" awk -v a="$(lit "$work/imp.bmp")" -v b="$(lit "$work/poly.bmp")" \
    'BEGIN { exit !(b > 1000 && a >= b && a < 1.1 * b) }'

# A surface in each style, and the clipping plane, change the picture; a plane behind the whole
# scene leaves nothing of the protein.
for style in solid mesh dots; do
    "$cli" render "$data/1crn.pdb" -o "$work/$style.bmp" --size 160x120 --surface "$style"
    check "--surface $style" test -n "$(cmp "$work/plain.bmp" "$work/$style.bmp")"
done
"$cli" render "$data/1crn.pdb" -o "$work/clip.bmp" --size 160x120 --clip 0
check "--clip 0" test -n "$(cmp "$work/plain.bmp" "$work/clip.bmp")"
"$cli" render "$data/1crn.pdb" -o "$work/hidden.bmp" --size 160x120 --mode hide
"$cli" render "$data/1crn.pdb" -o "$work/behind.bmp" --size 160x120 --surface solid --clip -7
check "--clip -7" cmp -s "$work/hidden.bmp" "$work/behind.bmp"

# Vector pictures: EPS with its header and bounding box, SVG, PDF. Ghostscript paints the EPS and
# the PDF: both cover what the raster picture covers and agree with each other pixel by pixel.
# Pixels of a picture file (PPM from Ghostscript, or a BMP of width*3 bytes a row) one a line.
pixels() { tail -c $((200 * 150 * 3)) "$1" | od -An -v -tu1 -w3; }
covered() { pixels "$1" | awk '$1 < 240 || $2 < 240 || $3 < 240 { n++ } END { print n + 0 }'; }
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; exit !(d * d < (0.05 * b) ^ 2) }'; }
for ext in eps svg pdf bmp; do
    "$cli" render "$data/1crn.pdb" -o "$work/v.$ext" --mode cpk --size 200x150 \
        --background 255,255,255
    check "$ext: status" test $? -eq 0
done
check "eps: header" test "$(head -1 "$work/v.eps")" = "%!PS-Adobe-2.0 EPSF-2.0"
check "eps: bounding box" grep -qx "%%BoundingBox: 0 0 200 150" "$work/v.eps"
check "svg: header" grep -q 'viewBox="0 0 200 150"' "$work/v.svg"
check "pdf: header" test "$(head -1 "$work/v.pdf")" = "%PDF-1.4"
for ext in eps pdf; do
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -dEPSCrop -r72 -sOutputFile="$work/$ext.ppm" \
        "$work/v.$ext" >"$work/gs.out" 2>&1
    check "$ext: painted" test $? -eq 0 -a ! -s "$work/gs.out"
    check "$ext: covers the picture" near "$(covered "$work/$ext.ppm")" "$(covered "$work/v.bmp")"
done
differing=$(paste <(pixels "$work/eps.ppm") <(pixels "$work/pdf.ppm") | awk '{
    for (k = 1; k <= 3; k++) { d = $k - $(k + 3); if (d > 40 || d < -40) { n++; break } } }
    END { print n + 0 }')
check "eps and pdf agree" test "$differing" -lt $((200 * 150 / 30))
mkdir "$work/taken.eps"
"$cli" render "$data/1crn.pdb" -o "$work/taken.eps" --size 64x48 2>"$work/err"
check "unreplaceable eps: status" test $? -eq 1
check "unreplaceable eps: nothing left" \
    test -z "$(ls "$work/taken.eps"; ls "$work" | grep 'taken.eps.')"

# The view's options: the background fills the corner, a wider field of view shows the protein
# smaller, another colour scheme colours it otherwise, and a quarter turn about the screen's z axis
# takes an oxygen on the right of the middle to above it (BMP rows run bottom up).
"$cli" render "$data/1crn.pdb" -o "$work/bg.bmp" --size 200x150 --background 40,80,160
check "--background" test "$(od -An -tu1 -j54 -N3 "$work/bg.bmp" | xargs)" = "160 80 40"
"$cli" render "$data/1crn.pdb" -o "$work/fov.bmp" --mode cpk --size 200x150 \
    --background 255,255,255 --fov 90
check "--fov" test "$(covered "$work/fov.bmp")" -lt $(($(covered "$work/v.bmp") / 2))
"$cli" render "$data/1crn.pdb" -o "$work/temperature.bmp" --size 200x150 --color temperature
check "--color" test -n "$(cmp "$work/plain.bmp" "$work/temperature.bmp")"
printf '%-6s%5d %-4s %3s A   1    %8.3f%8.3f%8.3f  1.00 20.00\n' \
    HETATM 1 " C" MOL 0 0 0 HETATM 2 " O" MOL 4 0 0 >"$work/pair.pdb"
red() { # the mean column and row of the red pixels of a 200 x 150 BMP
    pixels "$1" | awk '$3 > 100 && $3 > 2 * $2 && $3 > 2 * $1 { x += (NR - 1) % 200;
        y += int((NR - 1) / 200); n++ } END { if (n) printf "%d %d", x / n, y / n }'
}
"$cli" render "$work/pair.pdb" -o "$work/pair.bmp" --mode cpk --size 200x150
"$cli" render "$work/pair.pdb" -o "$work/turned.bmp" --mode cpk --size 200x150 --turn 0,0,90
read -r x0 y0 <<<"$(red "$work/pair.bmp")"
read -r x1 y1 <<<"$(red "$work/turned.bmp")"
check "--turn: right before" test "${x0:-0}" -gt 120 -a "${y0:-0}" -gt 60 -a "${y0:-0}" -lt 90
check "--turn: above after" test "${y1:-0}" -gt 90 -a "${x1:-0}" -gt 80 -a "${x1:-0}" -lt 120

summary
