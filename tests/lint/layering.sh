#!/usr/bin/env bash
# The core layer builds without Qt and OpenGL: no source under src/{core,model,io,analysis,appearance}
# may include their headers.
set -u
root=$1
hits=$(grep -rnE '#include *<(Q[A-Za-z]*|GL/[a-z]+\.h|EGL/)' \
    "$root"/src/core "$root"/src/model "$root"/src/io "$root"/src/analysis "$root"/src/appearance)
if [ -n "$hits" ]; then
    echo "Qt or GL headers in the core layer:"
    echo "$hits"
    exit 1
fi
echo "1 passed, 0 failed"
