#!/usr/bin/env bash
# The folders under src/ form one strict order, bottom to top:
#   core < io, output < model < appearance < analysis < document < render < app
# A file includes project headers only of its own folder or of folders below it (io and output
# stand side by side: neither includes the other). Qt headers appear
# only in app, GL, GLU and EGL headers only in render and app. A folder missing from the order is
# an error too, so that a new folder is given its place.
#   layering.sh SOURCE_ROOT
set -u
root=$1
cd "$root/src" || exit 1

rank() {
    case $1 in
    core) echo 0 ;;
    io | output) echo 1 ;;
    model) echo 2 ;;
    appearance) echo 3 ;;
    analysis) echo 4 ;;
    document) echo 5 ;;
    render) echo 6 ;;
    app) echo 7 ;;
    *) echo -1 ;;
    esac
}

failed=0
passed=0
fail() {
    echo "$1"
    failed=$((failed + 1))
}

for folder in */; do
    folder=${folder%/}
    [ "$(rank "$folder")" -ge 0 ] || fail "src/$folder: a folder outside the order"
done

while IFS= read -r file; do
    folder=${file%%/*}
    own=$(rank "$folder")
    [ "$own" -ge 0 ] || continue
    while IFS=: read -r line target; do
        top=${target%%/*}
        [ "$top" != "$target" ] || continue # a header of the same directory
        theirs=$(rank "$top")
        if [ "$theirs" -gt "$own" ]; then
            fail "src/$file:$line includes $target, a folder above $folder"
        elif [ "$theirs" -eq "$own" ] && [ "$top" != "$folder" ]; then
            fail "src/$file:$line includes $target, a folder beside $folder, not below it"
        elif [ "$theirs" -lt 0 ] && [ -d "$top" ]; then
            fail "src/$file:$line includes $target, a folder outside the order"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
        sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
    systemHeaders=$(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' "$file")
    if [ "$folder" != app ] && grep -qE '<Q[A-Za-z]' <<<"$systemHeaders"; then
        fail "src/$file includes Qt outside app: $(grep -E '<Q[A-Za-z]' <<<"$systemHeaders" | head -1)"
    fi
    if [ "$folder" != app ] && [ "$folder" != render ] &&
        grep -qE '<(GL/|EGL/|GLES)' <<<"$systemHeaders"; then
        fail "src/$file includes GL outside render and app: $(grep -E '<(GL/|EGL/|GLES)' <<<"$systemHeaders" | head -1)"
    fi
    passed=$((passed + 1))
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)

echo "$passed files checked, $failed failed"
[ "$failed" -eq 0 ]
