#!/usr/bin/env bash
# The layers keep to their dependencies: the core (src/{core,model,io,analysis,appearance,output})
# includes neither Qt nor OpenGL headers, and the render layer no Qt header.
set -u
root=$1
status=0
core=$(grep -rnE '#include *<(Q[A-Za-z]*|GL/[a-z]+\.h|EGL/)' "$root"/src/core "$root"/src/model \
    "$root"/src/io "$root"/src/analysis "$root"/src/appearance "$root"/src/output)
if [ -n "$core" ]; then
    echo "Qt or GL headers in the core layer:"
    echo "$core"
    status=1
fi
render=$(grep -rnE '#include *<Q[A-Za-z]*' "$root"/src/render)
if [ -n "$render" ]; then
    echo "Qt headers in the render layer:"
    echo "$render"
    status=1
fi
[ $status -eq 0 ] && echo "2 passed, 0 failed"
exit $status
