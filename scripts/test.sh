#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then the same suite in the sanitizer
# build and every fuzz target for a short while. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KARTEVO_BUILD_DIR:-$root/build}

"$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j "$(nproc)"

"$root/scripts/sanitize.sh"
"$root/scripts/fuzz.sh" "${KARTEVO_FUZZ_SECONDS:-25}"
