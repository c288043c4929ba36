#!/usr/bin/env bash
# The benchmark behind `make bench`: png2ico against ImageMagick and Pillow on
# a generated corpus, and the window's batch icon extraction against wrestool,
# all in one run on the same input; our BMP decoder against Qt's reader.
#
# usage: bench/run.sh BUILD_DIR [--peers-only]
#   BUILD_DIR   a release build holding png2ico/png2ico (and bench/stage_times)
#   --peers-only  time only the peers (while png2ico is not built)
# Environment: BENCH_REPEATS (default 3); BENCH_SHAPES_TIMEOUT (seconds per
# picture of the shapes set, default 120); BENCH_BASELINE, a release build of an
# earlier version whose bench/stage_times takes turns with ours on the same
# corpus to set the resample + mask stage against (its 3x target was set on
# 957cf6c, the scalar resampler); BENCH_BEFORE (an
# older png2ico for the start-up rows).
#
# The corpus is generated into BUILD_DIR/bench-data/corpus once and reused; the
# icons go to BUILD_DIR/bench-data/out/<tool>/. Exits non-zero only when a tool
# cannot run at all.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [--peers-only]" >&2
  exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"
shift
python=/usr/bin/python3   # the system Python: the one with Pillow
export PYTHONUNBUFFERED=1  # progress shows as it comes, also through the report's tee
work="$build/bench-data"
png2ico="$build/png2ico/png2ico"
stage_times="$build/bench/stage_times"

extra=()
if [ "${1:-}" = "--peers-only" ]; then
  extra+=(--peers-only)
elif [ ! -x "$png2ico" ]; then
  echo "bench: $png2ico is missing; build it first (make bench)" >&2
  exit 1
fi

if ! "$python" -c 'import PIL' 2>/dev/null; then
  echo "bench: the corpus is drawn with Pillow, which $python lacks (make deps installs python3-pil)" >&2
  exit 1
fi

mkdir -p "$work"
started=$SECONDS
"$python" "$here/gen_corpus.py" "$work/corpus"

if [ ${#extra[@]} -eq 0 ]; then
  if [ -x "$stage_times" ]; then
    extra+=(--stage-times "$stage_times")
  else
    echo "bench: $stage_times is not built; no stage breakdown"
  fi
  if [ -n "${BENCH_BASELINE:-}" ] && [ -x "$BENCH_BASELINE/bench/stage_times" ]; then
    extra+=(--baseline-stage-times "$BENCH_BASELINE/bench/stage_times")
  fi
fi

run_all() {
  local status=0
  echo "bench: $(nproc) cores, $(uname -m); ImageMagick: $(/usr/bin/mogrify -version 2>/dev/null | head -n1 | cut -d' ' -f2-3 || echo none);" \
    "Pillow: $("$python" -c 'import PIL; print(PIL.__version__)')"
  "$python" "$here/compare.py" --png2ico "$png2ico" --corpus "$work/corpus" --work "$work" \
    --repeats "${BENCH_REPEATS:-3}" "${extra[@]}" || status=$?
  "$python" "$here/exe_extract.py" --build "$build" --work "$work" --repeats "${BENCH_REPEATS:-3}" || status=$?
  if [ ${#extra[@]} -eq 0 ] || [ "${extra[0]}" != "--peers-only" ]; then
    echo
    bash "$here/bmp_bench.sh" "$build" "$work" || status=$?
  fi
  if [ -x "$png2ico" ]; then
    echo
    # BENCH_BEFORE: another png2ico (e.g. an older build) timed in the same rounds.
    "$python" "$here/startup.py" --png2ico "$png2ico" ${BENCH_BEFORE:+--before "$BENCH_BEFORE"} || status=$?
    echo
    echo "shapes: png2ico -j 1 on one picture of each shape and layout (stopped after ${BENCH_SHAPES_TIMEOUT:-120} s)"
    "$python" "$here/shapes.py" --png2ico "$png2ico" --work "$work" --timeout "${BENCH_SHAPES_TIMEOUT:-120}" || status=$?
  fi
  return $status
}

# Everything is also kept in a report, from which the targets are gathered
# at the end, each under the section (corpus, start-up...) it was printed in.
report="$work/report.txt"
set +e
run_all 2>&1 | tee "$report"
status=${PIPESTATUS[0]}
set -e
echo
echo "targets:"
awk '/^[^ ]/ { section = $0; sub(/[:(].*/, "", section); sub(/ +$/, "", section) }
     (/target/ && /met|not measured/) || /\[(met|NOT met)\]/ { line = $0; sub(/^ +/, "", line); printf "  %-16s %s\n", section, line }' "$report"
echo
echo "bench: done in $((SECONDS - started)) s"
exit $status
