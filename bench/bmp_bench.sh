#!/usr/bin/env bash
# The BMP part of `make bench`: our decoder against Qt's reader in one run,
# then the peak memory of loading an 8192 x 8192 24-bit BMP through each.
#
# usage: bench/bmp_bench.sh BUILD_DIR WORK_DIR
set -euo pipefail
times="$1/bench/bmp_times"
work="$2"
if [ ! -x "$times" ]; then
  echo "bench: $times is not built; no BMP timings"
  exit 0
fi
"$times" "${BENCH_REPEATS:-3}"
big="$work/big-24bit-8192.bmp"
[ -f "$big" ] || "$times" --write "$big" 8192 8192
size_mib=$(( $(stat -c %s "$big") / 1048576 ))
ours=$("$times" --peak ours "$big")
qt=$("$times" --peak qt "$big")
echo "bmp peak memory, 8192x8192 24-bit ($size_mib MiB file, 256 MiB of pixels): ours ${ours#* } MiB (${ours% *}), Qt ${qt#* } MiB (${qt% *})"
