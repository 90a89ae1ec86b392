#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KARTEVO_BUILD_DIR:-$root/build}

"$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
