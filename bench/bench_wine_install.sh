#!/usr/bin/env bash
# Benchmark of Setup.exe's install path under Wine (a 64-bit prefix; i686 stubs run there as on
# 64-bit Windows): the time a no-options install spends on
# its payload. For each stub, two setups are built with the same settings: one with the folder of
# real files of bench/real-tree.sh (about 420 files, 100 MiB) and one with a single small file.
# Every round runs all of them in one Wine session (the order turns round by round), each into an
# emptied install folder after `sync`. The payload time of a stub is the difference of its two
# setups' times (best and median over the rounds), so Wine's process start and the window drop
# out. Several stubs measured in the same run compare fairly on a busy machine.
#
# Usage: bench/bench_wine_install.sh [ROUNDS=3] [STUB.exe...]   (i686 or x86_64 stubs, told
#        apart by their PE header; default build/win64/app/Setup.exe)
# Needs: build/native/tools/setupkit/setupkit (make native; SETUPKIT=path picks another).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
rounds="${1:-3}"
shift || true
stubs=("$@")
[ "${#stubs[@]}" -gt 0 ] || stubs=(build/win64/app/Setup.exe)
tool="${SETUPKIT:-build/native/tools/setupkit/setupkit}"
work="$root/build/bench-data/wine"
[ -x "$tool" ] || { echo "bench: $tool is missing (make native)" >&2; exit 2; }
for s in "${stubs[@]}"; do [ -f "$s" ] || { echo "bench: $s is missing (make win64)" >&2; exit 2; }; done
tree="$(bench/real-tree.sh)"
mkdir -p "$work/one"
printf 'one small file\n' >"$work/one/readme.txt"
printf 'MZ uninstaller stand-in\n' >"$work/uninstall.exe"

# x86 or x64: the machine field of the stub's PE header (i386 0x14c, else x86-64).
stub_arch() {
  local pe
  pe=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  [ "$(od -An -t u2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')" = 332 ] && echo x86 || echo x64
}
build() {  # output name, source folder, stub
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
  "$tool" build "$work/$1.toml" -o "$work/$1.exe" --arch "$(stub_arch "$3")" --stub "$3" -q >/dev/null
}
for i in "${!stubs[@]}"; do
  build "many$i" "$tree" "${stubs[$i]}"
  build "one$i" one "${stubs[$i]}"
done
files=$(find "$tree" -type f ! -name .done | wc -l)
bytes=$(du -sb --exclude=.done "$tree" | cut -f1)

# shellcheck source=../scripts/wine-env
source "$root/scripts/wine-env"
sk_wine_begin
trap sk_wine_end EXIT
target="$WINEPREFIX/drive_c/skbench"

run() {  # setup name → seconds
  rm -rf "$target"
  sync
  local t0
  t0=$(date +%s.%N)
  wine "$work/$1.exe" </dev/null >/dev/null 2>&1
  echo "$(date +%s.%N) - $t0" | bc -l
}

echo "bench: $files files, $bytes bytes; load: $(cut -d' ' -f1-3 /proc/loadavg)"
declare -A times
names=()
for i in "${!stubs[@]}"; do names+=("one$i" "many$i"); done
for r in $(seq 1 "$rounds"); do
  order=("${names[@]}")
  [ $((r % 2)) -eq 0 ] && order=($(printf '%s\n' "${names[@]}" | tac))
  line="round $r:"
  for n in "${order[@]}"; do
    t=$(run "$n")
    times[$n]+="$t "
    [[ $n == many* ]] && line+=" $n $(printf '%.3f' "$t") s ($(find "$target" -type f | wc -l) files installed);" \
      || line+=" $n $(printf '%.3f' "$t") s;"
  done
  echo "$line"
done
stats() { printf '%s\n' $1 | sort -g | awk '{v[NR]=$1} END {print v[1], v[int((NR+1)/2)]}'; }
for i in "${!stubs[@]}"; do
  read -r ob om < <(stats "${times[one$i]}")
  read -r mb mm < <(stats "${times[many$i]}")
  printf '%s: one file best %.3f / median %.3f s; %d files best %.3f / median %.3f s\n' \
    "${stubs[$i]}" "$ob" "$om" "$files" "$mb" "$mm"
  printf '  payload: best %.3f s, median %.3f s (%.2f ms per file)\n' "$(echo "$mb - $ob" | bc -l)" \
    "$(echo "$mm - $om" | bc -l)" "$(echo "1000 * ($mm - $om) / $files" | bc -l)"
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
