#!/usr/bin/env bash
# Benchmark of Setup.exe's install path under 64-bit Wine: the time a no-options install spends on
# its payload. Two setups are built from the same manifest settings with the x86_64 stub: one
# with the folder of real files of bench/real-tree.sh (about 420 files, 100 MiB) and one with a
# single small file. Each round runs both (alternating which goes first) in one Wine session,
# into an emptied install folder, after `sync`; the payload time is the difference of their best
# (and of their median) wall-clock times, so Wine's process start and the window drop out.
#
# Usage: bench/bench_wine_install.sh [ROUNDS=3]
# Needs: build/native/tools/setupkit/setupkit (make native), build/win64/app/Setup.exe (make
# win64). SETUP=path picks another stub (an x86_64 Setup.exe), SETUPKIT another setupkit.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
rounds="${1:-3}"
tool="${SETUPKIT:-build/native/tools/setupkit/setupkit}"
stub="${SETUP:-build/win64/app/Setup.exe}"
work="$root/build/bench-data/wine"
[ -x "$tool" ] || { echo "bench: $tool is missing (make native)" >&2; exit 2; }
[ -f "$stub" ] || { echo "bench: $stub is missing (make win64)" >&2; exit 2; }
tree="$(bench/real-tree.sh)"
mkdir -p "$work/one"
printf 'one small file\n' >"$work/one/readme.txt"
printf 'MZ uninstaller stand-in\n' >"$work/uninstall.exe"

manifest() {  # name, source folder
  cat >"$work/$1.toml" <<TOML
[product]
id = "5E7B0C11-0000-4000-8000-0000000000B1"
name = "skbench"
[setup]
wizard = false
[install_folder]
path = 'C:\\skbench'
[[file]]
source = "$2"
[uninstaller]
source = "uninstall.exe"
TOML
  "$tool" build "$work/$1.toml" -o "$work/$1.exe" --arch x64 --stub "$stub" -q >/dev/null
}
manifest many "$tree"
manifest one "one"
files=$(find "$tree" -type f ! -name .done | wc -l)
bytes=$(du -sb --exclude=.done "$tree" | cut -f1)

# shellcheck source=../scripts/wine-env
source "$root/scripts/wine-env"
sk_wine_begin
trap sk_wine_end EXIT
target="$WINEPREFIX/drive_c/skbench"

run() {  # setup name → seconds on stdout
  rm -rf "$target"
  sync
  local t0 t1
  t0=$(date +%s.%N)
  wine "$work/$1.exe" </dev/null >/dev/null 2>&1
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc -l
}

echo "bench: $files files, $bytes bytes; load: $(cut -d' ' -f1-3 /proc/loadavg)"
declare -a many_t one_t
for r in $(seq 1 "$rounds"); do
  if [ $((r % 2)) -eq 1 ]; then
    one_t+=("$(run one)"); many_t+=("$(run many)")
  else
    many_t+=("$(run many)"); one_t+=("$(run one)")
  fi
  installed=$(find "$target" -type f | wc -l)
  printf 'round %d: one file %.3f s, %d files %.3f s (%d files installed)\n' \
    "$r" "${one_t[-1]}" "$files" "${many_t[-1]}" "$installed"
done
stats() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {print v[1], v[int((NR+1)/2)]}'; }
read -r one_best one_med < <(stats "${one_t[@]}")
read -r many_best many_med < <(stats "${many_t[@]}")
printf 'one-file setup:  best %.3f s, median %.3f s\n' "$one_best" "$one_med"
printf '%d-file setup: best %.3f s, median %.3f s\n' "$files" "$many_best" "$many_med"
printf 'payload: best %.3f s, median %.3f s (%.2f ms per file); load: %s\n' \
  "$(echo "$many_best - $one_best" | bc -l)" "$(echo "$many_med - $one_med" | bc -l)" \
  "$(echo "1000 * ($many_med - $one_med) / $files" | bc -l)" "$(cut -d' ' -f1-3 /proc/loadavg)"
