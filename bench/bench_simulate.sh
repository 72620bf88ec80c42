#!/usr/bin/env bash
# Benchmark of `setupkit simulate` as a whole process against the floor of its work: the bare C
# loop bench/inflate_loop.c, which only inflates the same regions into files, one per region.
# The package is built from the folder of real files of bench/real-tree.sh (about 420 files,
# 100 MiB). Rounds alternate which side runs first; each starts after `sync` with its output
# removed (untimed). Reports best and median wall-clock time of each side and their ratio
# (loop / simulate: 1.0 means simulate costs nothing beyond inflating). simulate checks the whole
# package (every chunk inflated once) before it installs anything; the loop does not, so the
# same loop is also timed with --check, which first inflates every region into nothing: the
# floor of the same two passes.
#
# Usage: bench/bench_simulate.sh [ROUNDS=5] [OUTPUT_PARENT=build/bench-data/sim]
# Needs: make native (build/native/tools/setupkit/setupkit, build/native/bench/inflate_loop).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
rounds="${1:-5}"
out="${2:-$root/build/bench-data/sim}"
tool="${SETUPKIT:-build/native/tools/setupkit/setupkit}"
loop="build/native/bench/inflate_loop"
work="$root/build/bench-data"
for p in "$tool" "$loop"; do [ -x "$p" ] || { echo "bench: $p is missing (make native)" >&2; exit 2; }; done
tree="$(bench/real-tree.sh)"
mkdir -p "$out"
stub="$work/stub.exe"
[ -f "$stub" ] || printf 'MZ%58s\x40\0\0\0PE\0\0\x4c\x01%58s' '' '' >"$stub"
printf 'MZ uninstaller stand-in\n' >"$work/uninstall.exe"
cat >"$work/sim.toml" <<TOML
[product]
id = "5E7B0C11-0000-4000-8000-0000000000B2"
name = "skbench"
[setup]
wizard = false
[[file]]
source = "$(basename "$tree")"
[uninstaller]
source = "uninstall.exe"
TOML
pkg="$work/sim.exe"
"$tool" build "$work/sim.toml" -o "$pkg" --stub "$stub" -q >/dev/null
"$tool" info --json "$pkg" | python3 -c '
import json, sys
for f in json.load(sys.stdin)["FileList"]:
    if f["Kind"] in (0, 5): print(f["DataStart"], f["DataEnd"])' >"$work/sim.regions"
regions=$(wc -l <"$work/sim.regions")

now() { date +%s.%N; }
timed() {  # dir, command... → "wall-clock seconds, processor seconds (user + system)"
  rm -rf "$1"; mkdir -p "$1"; shift
  sync
  local t0 t1; t0=$(now)
  /usr/bin/time -f "%U %S" -o "$work/cpu.txt" "$@" >/dev/null
  t1=$(now)
  echo "$(echo "$t1 - $t0" | bc -l) $(tail -1 "$work/cpu.txt" | awk '{print $1 + $2}')"
}
sim() { timed "$out/machine" "$tool" simulate "$pkg" --root "$out/machine"; }
bare() { timed "$out/loop" "$loop" "$pkg" "$work/sim.regions" "$out/loop"; }
checked() { timed "$out/loop" "$loop" --check "$pkg" "$work/sim.regions" "$out/loop"; }

echo "bench: $regions regions, package $(stat -c %s "$pkg") bytes; load: $(cut -d' ' -f1-3 /proc/loadavg)"
declare -a st lt ct
for r in $(seq 1 "$rounds"); do
  case $((r % 3)) in
    1) st+=("$(sim)"); lt+=("$(bare)"); ct+=("$(checked)") ;;
    2) lt+=("$(bare)"); ct+=("$(checked)"); st+=("$(sim)") ;;
    0) ct+=("$(checked)"); st+=("$(sim)"); lt+=("$(bare)") ;;
  esac
  [ -n "${SK_BENCH_VERBOSE:-}" ] && printf 'round %d (wall, processor s): simulate %s, loop %s, loop --check %s\n' \
    "$r" "${st[-1]}" "${lt[-1]}" "${ct[-1]}"
done
rm -rf "$out/machine" "$out/loop"
# best and median of field $1 of the remaining arguments
stats() { local f=$1; shift; printf '%s\n' "$@" | cut -d' ' -f"$f" | sort -g | awk '{v[NR]=$1} END {print v[1], v[int((NR+1)/2)]}'; }
report() {  # field, label
  local sb sm lb lm cb cm
  read -r sb sm < <(stats "$1" "${st[@]}")
  read -r lb lm < <(stats "$1" "${lt[@]}")
  read -r cb cm < <(stats "$1" "${ct[@]}")
  echo "$2:"
  printf '  setupkit simulate: best %.3f s, median %.3f s\n' "$sb" "$sm"
  printf '  inflate loop:      best %.3f s, median %.3f s\n' "$lb" "$lm"
  printf '  loop --check:      best %.3f s, median %.3f s\n' "$cb" "$cm"
  printf '  loop / simulate:   best %.3f, median %.3f\n' "$(echo "$lb / $sb" | bc -l)" "$(echo "$lm / $sm" | bc -l)"
  printf '  loop --check / simulate: best %.3f, median %.3f\n' "$(echo "$cb / $sb" | bc -l)" \
    "$(echo "$cm / $sm" | bc -l)"
}
report 1 "wall-clock time"
report 2 "processor time (user + system)"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
