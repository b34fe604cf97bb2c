#!/usr/bin/env bash
# Runs vorn-cli on each case of cases.txt and compares stdout, the exit status and stderr with the
# golden file golden/NAME.out (stderr lines are marked, without the [source:line] of errors).
# With --update, rewrites the golden files instead (review the diff before committing).
#   run_golden.sh VORN_CLI TESTS_DIR [--update]
set -u
cli=$1
tests=$2
update=${3:-}
cd "$tests" || exit 1
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
passed=0
failed=0
while IFS='|' read -r name args; do
    case "$name" in ''|'#'*) continue ;; esac
    name=$(echo "$name" | xargs)
    # shellcheck disable=SC2086
    actual=$( { "$cli" $args 2>"$errors"; echo "exit $?"
                sed -e 's/ \[[A-Za-z]*:[0-9]*\]$//' -e 's/^/stderr: /' "$errors"; } )
    golden="cli/golden/$name.out"
    if [ "$update" = "--update" ]; then
        printf '%s\n' "$actual" > "$golden"
        continue
    fi
    if [ -f "$golden" ] && [ "$actual" = "$(cat "$golden")" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name (vorn-cli $args)"
        diff <(printf '%s\n' "$actual") "$golden" | head -20
    fi
done < cli/cases.txt
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
