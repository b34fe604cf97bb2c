#!/usr/bin/env bash
# Runs vorn-cli info on every file of data/bad: structure files as structures, DCD files as the
# trajectory of a small matching structure, once as read and once with every frame aligned. Each
# run must either succeed or print a message and exit with status 1 or 2: never a signal, a
# sanitizer report, more than 20 s or more than 4 GiB.
#   hostile.sh VORN_CLI TESTS_DIR
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

# The three atoms the DCD files of data/bad describe.
structure=$work/three_atoms.pdb
cat > "$structure" <<'PDB'
ATOM      1  N   ALA A   1       0.000   0.000   0.000  1.00  0.00
ATOM      2  CA  ALA A   1       1.450   0.000   0.000  1.00  0.00
ATOM      3  C   ALA A   1       2.900   0.000   0.000  1.00  0.00
PDB

# Sanitizers reserve terabytes of address space, so a sanitized tool is bounded by its resident
# size instead, and its reports get a status that no ordinary error uses.
if ldd "$cli" 2>/dev/null | grep -Eq 'lib(a|t)san'; then
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=99:hard_rss_limit_mb=4096"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=99"
    export TSAN_OPTIONS="${TSAN_OPTIONS:+$TSAN_OPTIONS:}exitcode=99"
    limit=unlimited
else
    limit=$((4 * 1024 * 1024)) # KiB
fi

# One run: vorn-cli with the given arguments, judged as above.
check() {
    local name=$1 start seconds status problem=""
    shift
    start=$(date +%s)
    (ulimit -v "$limit" && exec timeout 20 "$cli" "$@") >"$work/out" 2>"$work/err"
    status=$?
    seconds=$(($(date +%s) - start))
    if [ "$status" -gt 2 ]; then
        problem="exit status $status"
    elif [ "$status" -ne 0 ] && [ ! -s "$work/err" ]; then
        problem="exit status $status without a message"
    elif grep -Eq 'Sanitizer|runtime error:' "$work/err"; then
        problem="sanitizer report"
    fi
    if [ -z "$problem" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name: $problem after ${seconds} s"
        head -5 "$work/err"
    fi
}

for file in "$data"/bad/*; do
    name=${file#"$data"/}
    case "$file" in
    */README.md) ;;
    *.dcd)
        check "$name" info "$structure" -dcd "$file"
        check "$name (aligned)" info -align "$structure" -dcd "$file"
        ;;
    *) check "$name" info "$file" ;;
    esac
done
summary
