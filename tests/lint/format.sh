#!/usr/bin/env bash
# Every C++ source and header of the project is formatted as .clang-format says.
set -u
root=$1
cd "$root" || exit 1
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' \
    'bench/*.cpp' 2>/dev/null)
[ -n "$files" ] || files=$(find src tools tests bench -name '*.cpp' -o -name '*.h')
# shellcheck disable=SC2086
if ! clang-format --dry-run --Werror $files; then
    echo "0 passed, 1 failed"
    exit 1
fi
echo "1 passed, 0 failed"
