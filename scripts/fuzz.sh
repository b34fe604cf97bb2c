#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz and runs each in turn on seeds from the test data.
#
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
#   scripts/fuzz.sh                   20 s for each of fuzz_pdb, fuzz_mmcif, fuzz_dcd, fuzz_cmdline
#   scripts/fuzz.sh 3600              the longer search: an hour for each target
#   scripts/fuzz.sh 300 fuzz_dcd      five minutes of the DCD reader alone
# One fuzzer runs at a time, single process. Exits 1 when a target crashed, hung (10 s for one
# input) or went past 2 GB, and prints the reproducer; replay it with
#   build-fuzz/tests/fuzz/<target> <reproducer>
# Inputs that once failed live in tests/data/bad/ and are replayed as seeds on every run.
# VORN_FUZZ_SEED fixes libFuzzer's random seed (the test command uses 1, so that its short run
# repeats the same search instead of failing at random on an input nobody has seen).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-20}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_pdb fuzz_mmcif fuzz_dcd fuzz_cmdline)
case $seconds in
'' | *[!0-9]*)
    sed -n '4,7p' "$0" >&2
    exit 2
    ;;
esac

export CC=${CC:-clang-14} CXX=${CXX:-clang++-14}
VORN_BUILD_DIR=build-fuzz \
    VORN_CMAKE_ARGS="-DVORN_FUZZ=ON -DVORN_TESTS=OFF -DVORN_BENCH=OFF" \
    scripts/build.sh "${targets[@]}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorn-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
artifacts=$root/build-fuzz/fuzz-artifacts

copy_seeds() { # target corpus-dir
    local f m
    case $1 in
    fuzz_pdb)
        find tests/data tests/data/bad tests/fuzz/seeds/pdb -maxdepth 1 -type f \
            \( -name '*.pdb' -o -name '*.pdb.gz' \) -exec cp {} "$2"/ \;
        ;;
    fuzz_mmcif)
        find tests/data tests/data/bad tests/fuzz/seeds/mmcif -maxdepth 1 -type f \
            \( -name '*.cif' -o -name '*.cif.gz' \) -exec cp {} "$2"/ \;
        ;;
    fuzz_dcd)
        # The harness takes the first byte as the processing mode: each file once per mode.
        for f in tests/data/dcd/*.dcd tests/fuzz/seeds/dcd/*.dcd tests/data/bad/*.dcd; do
            [ -f "$f" ] || continue # also when tests/data/bad holds no DCD file
            for m in 0 1 2; do
                { printf "\\x0$m"; cat "$f"; } >"$2/$(basename "$f").mode$m"
            done
        done
        ;;
    fuzz_cmdline)
        cp tests/fuzz/seeds/cmdline/* "$2"/
        find tests/data/bad -maxdepth 1 -type f -name '*.cmdline' -exec cp {} "$2"/ \;
        ;;
    esac
}

max_len() {
    case $1 in
    fuzz_pdb | fuzz_mmcif) echo 16384 ;; # about 200 atom lines; larger seeds are cut to this
    fuzz_dcd) echo 131072 ;;  # room for the 80 kB two-frame seed
    *) echo 4096 ;;
    esac
}

failed=()
for target in "${targets[@]}"; do
    corpus=$scratch/corpus/$target
    run=$scratch/run/$target # the current directory: wildcards expand in here
    mkdir -p "$corpus" "$run" "$scratch/tmp" "$artifacts/$target"
    copy_seeds "$target" "$corpus"
    log=$root/build-fuzz/$target.log
    echo "== $target: ${seconds}s"
    status=0
    (cd "$run" && TMPDIR=$scratch/tmp "$root/build-fuzz/tests/fuzz/$target" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 ${VORN_FUZZ_SEED:+-seed=$VORN_FUZZ_SEED} \
        -max_len="$(max_len "$target")" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target/" "$corpus") >"$log" 2>&1 || status=$?
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        echo "!! $target failed (exit $status); log: $log"
        grep -E 'ERROR|SUMMARY|Test unit written to' "$log" | head -n 8 || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found problems in: ${failed[*]}"
    exit 1
fi
echo "no crash, hang or memory blow-up found"
