#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a few seconds each, starting
# from its seeds and the regression files. Fails when a target finds a crash.
set -euo pipefail
build=$1
seconds=${2:-20}
root=$(cd "$(dirname "$0")/../.." && pwd)
status=0
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds=()
  [ -d "$root/tests/regressions/$name" ] && seeds+=("$root/tests/regressions/$name")
  [ -d "$build/tests/fuzz/seeds/$name" ] && seeds+=("$build/tests/fuzz/seeds/$name")
  echo "== $name ($seconds s)"
  if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 "$target" -max_total_time="$seconds" \
       -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$build/tests/fuzz/$name-" \
       "$corpus" "${seeds[@]}" > "$build/tests/fuzz/$name.log" 2>&1; then
    echo "   FAILED: see $build/tests/fuzz/$name.log"; tail -30 "$build/tests/fuzz/$name.log"
    status=1
  else
    tail -1 "$build/tests/fuzz/$name.log"
  fi
  rm -rf "$corpus"
done
exit $status
