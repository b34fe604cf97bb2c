#!/usr/bin/env bash
# Times `vorn-cli info` as a user runs it (the whole process: start, read, bonds, structure,
# colours, radii, report, exit) on 1aki tiled to 100k, 1M and 10M atoms, plain and gzip, with one
# thread (VORN_THREADS=1) and with every core: median and range of the wall time, peak resident
# memory and bytes per atom, the ratios of the sizes, and the time `gzip -dc` takes to unpack each
# gzip file alone. Then checks that `info` and `bonds` print the same with one thread and with two.
# Usage: bench/load_scale.sh [RUNS [SIZES...]]     (default 5 runs of 100000 1000000 10000000)
# The tiled files go to $TMPDIR (or /tmp) and are removed at the end unless VORN_BENCH_KEEP=1.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
[ $# -gt 0 ] && shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000 10000000)
scripts/build.sh read_bench vorn-cli >/dev/null
work=${TMPDIR:-/tmp}
cli=build/vorn-cli

# median min max of the numbers on stdin
spread() { sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.3f s (%.3f .. %.3f)", m, v[1], v[NR] }'; }
median() { sort -g | awk '{ v[NR] = $1 } END {
    printf "%.4f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# time_runs FILE THREADS: RUNS lines "seconds peak-KiB"
time_runs() {
    for _ in $(seq "$runs"); do
        VORN_THREADS=$2 /usr/bin/time -f "%e %M" "$cli" info "$1" 2>&1 >/dev/null | tail -1
    done
}

declare -A best
echo "vorn-cli info, $runs runs each, $(nproc) processors, load average $(cut -d' ' -f1-3 \
    /proc/loadavg)"
for n in "${sizes[@]}"; do
    for kind in pdb pdb.gz; do
        file=$work/vorn_scale_$n.$kind
        [ -s "$file" ] || build/bench/read_bench tests/data/1aki.pdb "$n" --write "$file" \
            >/dev/null
        cat "$file" >/dev/null # into the page cache
        for threads in 1 "$(nproc)"; do
            times=$(time_runs "$file" "$threads")
            kib=$(echo "$times" | awk '{ print $2 }' | sort -g | tail -1)
            printf "%9s atoms %-6s %d thread(s): %s  peak %4.0f MiB = %3.0f bytes/atom\n" "$n" \
                "$kind" "$threads" "$(echo "$times" | awk '{ print $1 }' | spread)" \
                "$(awk "BEGIN { print $kib / 1024 }")" "$(awk "BEGIN { print $kib * 1024 / $n }")"
            best[$n.$kind.$threads]=$(echo "$times" | awk '{ print $1 }' | median)
        done
        if [ "$kind" = pdb.gz ]; then
            unpack=$(for _ in $(seq "$runs"); do
                /usr/bin/time -f "%e" gzip -dc "$file" 2>&1 >/dev/null | tail -1
            done | spread)
            printf "%9s atoms %-6s gzip -dc alone: %s\n" "$n" "$kind" "$unpack"
        fi
    done
done
all=$(nproc)
for kind in pdb pdb.gz; do
    for ((i = 1; i < ${#sizes[@]}; i++)); do
        small=${sizes[i - 1]} large=${sizes[i]}
        printf "ratio %s/%s (%s, %d threads): %.1f\n" "$large" "$small" "$kind" "$all" \
            "$(awk "BEGIN { print ${best[$large.$kind.$all]} / ${best[$small.$kind.$all]} }")"
    done
done

echo "same output with one thread and with two:"
for n in "${sizes[@]}"; do
    for kind in pdb pdb.gz; do
        file=$work/vorn_scale_$n.$kind
        for command in info bonds; do
            one=$(VORN_THREADS=1 "$cli" "$command" "$file" | md5sum)
            two=$(VORN_THREADS=2 "$cli" "$command" "$file" | md5sum)
            [ "$one" = "$two" ] && verdict=same || verdict=DIFFERENT
            printf "%9s atoms %-6s %-5s %s\n" "$n" "$kind" "$command" "$verdict"
        done
        [ -n "${VORN_BENCH_KEEP:-}" ] || rm -f "$file"
    done
done
