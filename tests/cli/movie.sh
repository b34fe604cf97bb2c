#!/usr/bin/env bash
# vorn-cli movie end to end, with no display server: AVI and MP4 files that ffprobe reads back
# with the codec, size, frame count and key frames asked for, a progress line only on a terminal,
# and failures and Ctrl+C that leave nothing half-written behind.
#   movie.sh VORN_CLI TESTS_DIR
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
# codec,width,height,frames of the video stream, then the key frames counted.
probe() { ffprobe -v error -select_streams v:0 -of csv=p=0 \
    -show_entries stream=codec_name,width,height,nb_frames "$1"
    ffprobe -v error -select_streams v:0 -of csv=p=0 -show_entries frame=key_frame "$1" |
        grep -c '^1'; }
adk=("$data/adk_closed.pdb" -dcd "$data/dcd/adk_2frames.dcd")

"$cli" movie "${adk[@]}" -o "$work/a.avi" --size 64x48 2>"$work/err"
check "avi: uncompressed frames 1 and 2" test "$(probe "$work/a.avi" | tr '\n' ' ')" = \
    "rawvideo,64,48,2 2 "
check "avi: no progress off a terminal" test ! -s "$work/err"

# H.264 stores odd sides one pixel larger; without it MP4 holds MPEG-4.
"$cli" movie "${adk[@]}" -o "$work/b.mp4" --size 65x49 --start 0 --fps 30
check "mp4: frames 0 to 2" grep -qxE 'h264,66,50,3 3 |mpeg4,65,49,3 3 ' \
    <(probe "$work/b.mp4" | tr '\n' ' ')

"$cli" movie "${adk[@]}" -o "$work/c.mp4" --codec raw 2>"$work/err"
check "raw in mp4: refused with the choices" \
    test $? -eq 2 -a -n "$(grep -- "--codec takes .*mpeg4.* for an MP4 file" "$work/err")"

script -qec "'$cli' movie ${adk[*]} -o '$work/d.avi' --size 32x32" /dev/null >"$work/tty"
check "terminal: progress line" grep -q "frame 2 of 2" "$work/tty"

# Ctrl+C while recording (once the movie's temporary file exists) ends the run after the frame
# being drawn, and the old file stays.
mkdir "$work/old"
echo old >"$work/old/f.avi"
"$cli" movie -multi "$data/2eqq.pdb" -o "$work/old/f.avi" --size 2048x2048 --codec mpeg4 \
    2>"$work/err" &
for _ in $(seq 200); do
    [ "$(ls "$work/old" | wc -l)" -gt 1 ] && break
    sleep 0.05
done
kill -INT $!
wait $!
check "interrupted: status" test $? -eq 130
check "interrupted: message" grep -q "interrupted, nothing written" "$work/err"
check "interrupted: old file alone" test "$(ls "$work/old") $(cat "$work/old/f.avi")" = "f.avi old"

summary
