#!/usr/bin/env bash
# Installs what is missing, builds, prepares a demo data folder under the build folder and starts
# the program on it. The user's own data folder is never touched: XDG_DATA_HOME points at the
# demo folder. Without a display the program runs on a virtual X server (xvfb-run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KARTEVO_BUILD_DIR:-$root/build}

"$root/scripts/build.sh"
"$root/scripts/make-demo.sh" "$build"

export XDG_DATA_HOME="$build/demo"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting on a virtual X server (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/kartevo" "$@"
fi
exec "$build/bin/kartevo" "$@"
