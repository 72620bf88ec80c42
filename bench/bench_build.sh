#!/usr/bin/env bash
# Benchmark of `setupkit build`: packs a generated 1 GiB folder of mixed files (random binary,
# text, highly repetitive records, many small files) on all cores and reports MB/s and peak memory
# (VmHWM, via /usr/bin/time), then packs the same folder with makensis (zlib, the Debian nsis
# package) for comparison, in the same run. Each line also gives the processor time (user +
# system): on a machine shared with other work the wall-clock time depends on the share of the
# cores a program gets, the processor time far less. The last lines give makensis's time over
# setupkit's, both ways.
#
# Usage: bench/bench_build.sh [SIZE_MIB | FOLDER]   (default 1024; the data is cached in
#        build/bench-data; a FOLDER is packed as it is, e.g. "$(bench/real-tree.sh)")
# Needs: build/native/tools/setupkit/setupkit (make native), makensis (apt-get install nsis).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
size_mib="${1:-1024}"
src="tree-$size_mib"  # the folder packed, as the manifest and the script name it
tool="${SETUPKIT:-build/native/tools/setupkit/setupkit}"
work="$root/build/bench-data"
data="$work/tree-$size_mib"
[ -x "$tool" ] || { echo "bench: $tool is missing (make native)" >&2; exit 2; }
if [ -d "$size_mib" ]; then
  data="$(cd "$size_mib" && pwd)"
  src="$data"
  mkdir -p "$work"
fi

# ---- the data set: a quarter each of four kinds, made once ----
if [ ! -d "$size_mib" ] && [ ! -f "$data/.done" ]; then
  echo "bench: generating ${size_mib} MiB of test files in $data"
  rm -rf "$data"
  mkdir -p "$data/binary" "$data/text" "$data/records" "$data/small"
  q=$((size_mib / 4))
  for i in $(seq 1 $((q / 8))); do head -c $((8 << 20)) /dev/urandom >"$data/binary/blob$i.bin"; done
  for i in $(seq 1 $((q / 4))); do head -c $((3 << 20)) /dev/urandom | base64 -w 76 | head -c $((4 << 20)) >"$data/text/text$i.txt" || true; done
  for i in $(seq 1 $((q * 4))); do
    seq $((i * 1000)) $((i * 1000 + 26000)) | sed 's/^/record;value=/' | head -c $((256 << 10)) >"$data/records/r$i.csv" || true
  done
  for d in $(seq 1 $((q / 8))); do
    mkdir -p "$data/small/d$d"
    for i in $(seq 1 256); do head -c $((RANDOM % 32768 + 8192)) /dev/urandom | base64 >"$data/small/d$d/f$i.txt" || true; done
  done
  touch "$data/.done"
fi
bytes=$(du -sb --exclude=.done "$data" | cut -f1)
files=$(find "$data" -type f ! -name .done | wc -l)
echo "bench: $files files, $bytes bytes, $(nproc) cores"

stub="$work/stub.exe"
[ -f "$stub" ] || printf 'MZ%58s\x40\0\0\0PE\0\0\x4c\x01%58s' '' '' >"$stub"
cat >"$work/bench.toml" <<TOML
[product]
id = "00000000-0000-0000-0000-000000000001"
name = "bench"
[setup]
wizard = false
[[file]]
source = "$src"
TOML

measure() {  # label, command... → prints seconds, MB/s, peak memory
  local label="$1"; shift
  sync
  local t0 t1
  t0=$(date +%s.%N)
  /usr/bin/time -f "%M %U %S" -o "$work/mem.txt" "$@" >"$work/$label.log" 2>&1
  t1=$(date +%s.%N)
  local secs mem cpu out
  secs=$(echo "$t1 - $t0" | bc -l)
  read -r mem cpu < <(tail -1 "$work/mem.txt" | awk '{print $1, $2 + $3}')
  out=$(stat -c %s "$work/$label.exe")
  wall[$label]=$secs
  proc[$label]=$cpu
  printf '%-22s %7.2f s (processor %6.2f s)  %8.1f MB/s  peak memory %6.1f MiB  output %s bytes (%.1f%%)\n' \
    "$label" "$secs" "$cpu" "$(echo "$bytes / 1000000 / $secs" | bc -l)" "$(echo "$mem / 1024" | bc -l)" \
    "$out" "$(echo "100 * $out / $bytes" | bc -l)"
}
declare -A wall proc

measure "setupkit build" "$tool" build "$work/bench.toml" -o "$work/setupkit build.exe" --stub "$stub" -q
measure "setupkit build -j1" "$tool" build "$work/bench.toml" -o "$work/setupkit build -j1.exe" --stub "$stub" -q -j 1
if command -v makensis >/dev/null 2>&1; then
  cat >"$work/bench.nsi" <<NSI
Unicode true
SetCompressor zlib
Name "bench"
OutFile "makensis zlib.exe"
InstallDir "\$PROGRAMFILES\\bench"
RequestExecutionLevel user
Section
  SetOutPath "\$INSTDIR"
  File /r "$src/*.*"
SectionEnd
NSI
  cd "$work" && measure "makensis zlib" makensis -V1 bench.nsi
  for label in "setupkit build" "setupkit build -j1"; do
    printf 'makensis / %-20s wall %5.1f×, processor time %5.1f×\n' "$label" \
      "$(echo "${wall["makensis zlib"]} / ${wall[$label]}" | bc -l)" \
      "$(echo "${proc["makensis zlib"]} / ${proc[$label]}" | bc -l)"
  done
  echo "bench: load $(cut -d' ' -f1-3 /proc/loadavg)"
else
  echo "bench: makensis not found (apt-get install nsis); comparison skipped"
fi
