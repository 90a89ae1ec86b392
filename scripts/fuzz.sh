#!/usr/bin/env bash
# Runs every fuzz target of fuzz/ for SECONDS seconds each (default 60), in the sanitizer build
# ./build-sanitize (or $KARTEVO_SANITIZE_BUILD_DIR), which is configured and built first when
# needed. Each target starts from its seed corpus fuzz/corpus/NAME, copied into
# BUILD/fuzz-work/NAME/corpus (the inputs found are kept there for the next run; the repository
# is not written), with its dictionary fuzz/NAME.dict when there is one. Exits non-zero when
# any target found a crash, a hang, a leak, too much memory or a sanitizer report, naming the
# target and the input that caused it (BUILD/fuzz-work/NAME/crash-… and so on).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KARTEVO_SANITIZE_BUILD_DIR:-$root/build-sanitize}
seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ && "$seconds" -gt 0 ]] || { echo "usage: fuzz.sh [SECONDS] (a whole number of seconds, above 0)" >&2; exit 2; }
export KARTEVO_SANITIZE_BUILD_DIR=$build

"$root/scripts/sanitize.sh" --configure
names=()
for source in "$root"/fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  names+=("${name#fuzz_}")
done
cmake --build "$build" -j "$(nproc)" --target "${names[@]/#/fuzz_}"
# shellcheck source=/dev/null
. "$build/sanitizer-env.sh"
# The targets' temporary files go to a folder of their own, removed at the end; on a memory
# file system when there is one (the INI target writes and syncs a file on every run: 4 times
# faster there).
temp_parent="$build"
[ -d /dev/shm ] && [ -w /dev/shm ] && temp_parent=/dev/shm
TMPDIR=$(mktemp -d -p "$temp_parent" kartevo-fuzz.XXXXXX)
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT

failed=()
for name in "${names[@]}"; do
  work="$build/fuzz-work/$name"
  mkdir -p "$work/corpus"
  cp "$root/fuzz/corpus/$name/"* "$work/corpus/"
  rm -f "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$work"/slow-unit-*
  options=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$work/")
  [ -f "$root/fuzz/$name.dict" ] && options+=(-dict="$root/fuzz/$name.dict")
  echo "== fuzz_$name: $seconds s"
  if "$build/bin/fuzz_$name" "${options[@]}" "$work/corpus" >"$work/log.txt" 2>&1; then
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$work/log.txt" | tr '\n' ' '
    echo
  else
    tail -n 60 "$work/log.txt"
    inputs=$(ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null || true)
    echo "FAILED: fuzz_$name; input: ${inputs:-none written, see $work/log.txt}"
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "Fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "Every fuzz target ran $seconds s without a finding."
