# What the vorn-cli scripts share, sourced by a script called as SCRIPT VORN_CLI TESTS_DIR: the
# tool and the data folder, a scratch folder removed at exit, no display server, and named checks
# counted for the summary that ends the script.
cli=$1
data=$2/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY
passed=0
failed=0
check() { # name, then a command that must succeed
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
