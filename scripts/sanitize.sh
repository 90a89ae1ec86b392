#!/usr/bin/env bash
# The sanitizer build: configures (when needed) and builds everything with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer and the libFuzzer targets of fuzz/ in
# ./build-sanitize (or $KARTEVO_SANITIZE_BUILD_DIR), then runs every test there. Any sanitizer
# report fails the test that caused it. Exits non-zero on any failure.
#   --configure  only installs what is missing and configures the build folder (for fuzz.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KARTEVO_SANITIZE_BUILD_DIR:-$root/build-sanitize}

"$root/scripts/install-deps.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  # -O1 with line tables only: the reports name file and line, the build stays quick.
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only" \
    -DKARTEVO_SANITIZE=ON -DKARTEVO_FUZZ=ON -DKARTEVO_BENCHMARKS=OFF >/dev/null
elif ! grep -q '^KARTEVO_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
  cmake "$build" -DKARTEVO_FUZZ=ON >/dev/null
fi
[ "${1:-}" = --configure ] && exit 0

cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
