#!/usr/bin/env bash
# Runs a command on a virtual X display of its own (Xvfb, 1280x1024, 24 bits) with private
# settings and runtime directories, so that the viewer's windows can open and nothing touches the
# user's configuration.   with-display.sh COMMAND [ARGS...]
set -euo pipefail
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorn-display.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
export XDG_RUNTIME_DIR=$scratch/runtime XDG_CONFIG_HOME=$scratch/config
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
