#!/usr/bin/env bash
# Benchmark of Setup.exe under Wine (a 64-bit prefix; i686 stubs run there as on 64-bit
# Windows), beside the peer installer and a bare inflate loop, all in one Wine session:
#
# 1. Payload: the time a no-options install spends on its payload. For each stub, two setups are
#    built with the same settings: one with the folder of real files of bench/real-tree.sh
#    (about 420 files, 100 MiB) and one with a single small file. The payload time is the
#    difference of the two setups' times, so Wine's process start and the window drop out.
#    The same two setups are also run silently (`/S`: no window, as the peer is run), which
#    leaves out what the progress window costs (its redraws and message pumping).
# 2. The same for the peer installer (Debian's nsis: makensis, `SetCompressor zlib`, its 32-bit
#    stub), run silently (`/S /D=C:\skbench`) into the same folder.
# 3. The same for bench/inflate_loop.c built for i686 (plain Win32 file calls, the cross zlib of
#    scripts/bootstrap): the regions of the large setup, then of the small one, inflated into
#    one file each. This is the floor of an install. Its own timing (--time) is reported too.
# 4. Start to first window, one-file packages: bench/first_window.c (built for i686) starts each
#    program and reports the time to its first visible top-level window, the process start
#    included: our no-options window, our wizard's first window, and the peer's first window
#    (not silent; the program is ended once the window is seen).
#
# Every round runs all of them (the order turns round by round), each into an emptied install
# folder after `sync`. Best and median over the rounds are reported, with the ratios against
# the targets (payload: ours ≤ 0.35 × the peer's and ≤ 1.2 × the loop's; first window: ours ≤
# the peer's). Parts 2-4 are skipped, with a note, when makensis or the i686 mingw compiler is
# missing.
#
# Usage: bench/bench_wine_install.sh [ROUNDS=3] [STUB.exe...]   (i686 or x86_64 stubs, told
#        apart by their PE header; default build/win64/app/Setup.exe)
# Needs: build/native/tools/setupkit/setupkit (make native; SETUPKIT=path picks another).
# SK_BENCH_TREE=FOLDER packs that folder instead of the real files (for a quick try).
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
tree="${SK_BENCH_TREE:-$(bench/real-tree.sh)}"
tree="$(cd "$tree" && pwd)"
mkdir -p "$work/one"
printf 'one small file\n' >"$work/one/readme.txt"
printf 'MZ uninstaller stand-in\n' >"$work/uninstall.exe"

# x86 or x64: the machine field of the stub's PE header (i386 0x14c, else x86-64).
stub_arch() {
  local pe
  pe=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  [ "$(od -An -t u2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')" = 332 ] && echo x86 || echo x64
}
build() {  # output name, source folder, stub, wizard (true/false)
  cat >"$work/$1.toml" <<TOML
[product]
id = "5E7B0C11-0000-4000-8000-0000000000B1"
name = "skbench"
[setup]
wizard = $4
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
  build "many$i" "$tree" "${stubs[$i]}" false
  build "one$i" one "${stubs[$i]}" false
  build "wizard$i" one "${stubs[$i]}" true
done
files=$(find "$tree" -type f ! -name .done | wc -l)
bytes=$(du -sb --exclude=.done "$tree" | cut -f1)

# The peer: the same folder and the same small file, with the same install folder and an
# uninstaller; a directory page and the progress page when not silent.
peer=""
if command -v makensis >/dev/null 2>&1; then
  peer_build() {  # output name, File line
    cat >"$work/$1.nsi" <<NSI
Unicode true
SetCompressor zlib
Name "skbench"
OutFile "$1.exe"
InstallDir "C:\\skbench"
RequestExecutionLevel admin
Page directory
Page instfiles
Section
  SetOutPath "\$INSTDIR"
  $2
  WriteUninstaller "\$INSTDIR\\uninstall.exe"
SectionEnd
Section "Uninstall"
  RMDir /r "\$INSTDIR"
SectionEnd
NSI
    (cd "$work" && makensis -V1 "$1.nsi" >/dev/null)
  }
  peer_build peer-many "File /r \"$tree/*.*\""
  peer_build peer-one "File \"$work/one/readme.txt\""
  peer=1
else
  echo "bench: makensis not found (apt-get install nsis): the peer is skipped"
fi

# The loop and the window probe, built for i686 with the cross zlib of scripts/bootstrap.
loop=""
cc="${SK_BENCH_MINGW_CC:-i686-w64-mingw32-gcc-posix}"
deps="${SETUPKIT_DEPS:-${HOME:-/tmp}/.cache/setupkit-deps}/i686-w64-mingw32"
if command -v "$cc" >/dev/null 2>&1 && [ -f "$deps/lib/libz.a" ]; then
  "$cc" -O2 -s -municode -I"$deps/include" bench/inflate_loop.c "$deps/lib/libz.a" \
    -o "$work/inflate_loop.exe"
  "$cc" -O2 -s -municode bench/first_window.c -lwinmm -o "$work/first_window.exe"
  regions() {  # setup name → its list of regions
    "$tool" info --json "$work/$1.exe" | python3 -c '
import json, sys
for f in json.load(sys.stdin)["FileList"]:
    if f["Kind"] in (0, 5): print(f["DataStart"], f["DataEnd"])' >"$work/$1.regions"
  }
  regions many0
  regions one0
  loop=1
else
  echo "bench: $cc or the cross zlib ($deps) is missing (scripts/bootstrap): the loop and the" \
    "first-window probe are skipped"
fi

# shellcheck source=../scripts/wine-env
source "$root/scripts/wine-env"
sk_wine_begin
trap sk_wine_end EXIT
target="$WINEPREFIX/drive_c/skbench"
loop_out="$WINEPREFIX/drive_c/skloop"
winpath() { echo "Z:${1//\//\\}"; }

now() { date +%s.%N; }
# Processor time in clock ticks: of the whole machine (every process and the kernel: under Wine
# part of a program's work is done by the wineserver and by Wine's other processes), and of this
# session's wineserver alone. The machine is meant to be otherwise idle.
server_pid=""
for p in $(pidof wineserver64 wineserver || true); do
  if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    server_pid=$p
  fi
done
[ -n "$server_pid" ] || echo "bench: this session's wineserver was not found; its processor time reads 0"
server_ticks() { if [ -n "$server_pid" ]; then awk '{print $14 + $15}' "/proc/$server_pid/stat"; else echo 0; fi; }
machine_ticks() { awk '/^cpu /{print $2 + $3 + $4 + $7 + $8}' /proc/stat; }
ticks=$(getconf CLK_TCK)
run() {  # name → "wall-clock seconds, processor seconds of the machine, of the wineserver"
  rm -rf "$target" "$loop_out"
  local cmd s0 s1 t0 t1
  case $1 in
    loop*)
      mkdir -p "$loop_out"
      local pkg="${1#loop*-}0"
      cmd=("$work/inflate_loop.exe" --time)
      [[ $1 == loopcheck-* ]] && cmd+=(--check)
      cmd+=("$(winpath "$work/$pkg.exe")" "$(winpath "$work/$pkg.regions")" 'C:\skloop')
      ;;
    peer-*) cmd=("$work/$1.exe" /S '/D=C:\skbench') ;;
    silent-*) cmd=("$work/${1#silent-}.exe" /S) ;;
    *) cmd=("$work/$1.exe") ;;
  esac
  sync
  local m0 m1
  s0=$(server_ticks)
  m0=$(machine_ticks)
  t0=$(now)
  wine "${cmd[@]}" </dev/null >"$work/run.out" 2>&1 || true
  t1=$(now)
  m1=$(machine_ticks)
  s1=$(server_ticks)
  echo "$(echo "$t1 - $t0" | bc -l) $(echo "($m1 - $m0) / $ticks" | bc -l)" \
    "$(echo "($s1 - $s0) / $ticks" | bc -l)"
}
window() {  # setup name → milliseconds to the first window, or "-" when none was seen
  rm -rf "$target"
  sync
  local out
  out=$(wine "$work/first_window.exe" "$(winpath "$work/$1.exe")" </dev/null 2>/dev/null || true)
  echo "$out" >>"$work/windows.log"
  [[ $out =~ ^([0-9.]+)\ ms ]] && echo "${BASH_REMATCH[1]}" || echo -
}
installed() {  # files in the install folder (or the loop's folder)
  find "$target" "$loop_out" -type f 2>/dev/null | wc -l || true
}

echo "bench: $files files, $bytes bytes; $(nproc) cores; load: $(cut -d' ' -f1-3 /proc/loadavg)"
declare -A times cpu srv self
names=()
for i in "${!stubs[@]}"; do names+=("one$i" "many$i" "silent-one$i" "silent-many$i"); done
[ -n "$peer" ] && names+=(peer-one peer-many)
[ -n "$loop" ] && names+=(loop-one loop-many loopcheck-one loopcheck-many)
probes=()
if [ -n "$loop" ]; then
  for i in "${!stubs[@]}"; do probes+=("one$i" "wizard$i"); done
  [ -n "$peer" ] && probes+=(peer-one)
fi
: >"$work/windows.log"
repeat="${SK_BENCH_WINDOW_REPEAT:-3}"  # probes of each window per round
for r in $(seq 1 "$rounds"); do
  order=("${names[@]}")
  [ $((r % 2)) -eq 0 ] && mapfile -t order < <(printf '%s\n' "${names[@]}" | tac)
  line="round $r:"
  for n in "${order[@]}"; do
    read -r t c v < <(run "$n")
    times[$n]+="$t "
    cpu[$n]+="$c "
    srv[$n]+="$v "
    if [[ $n == loop*-many ]]; then self[$n]+="$(tail -1 "$work/run.out" | tr -d '\r') "; fi
    if [[ $n == *many* ]]; then
      line+=" $n $(printf '%.3f' "$t") s ($(installed) files);"
    else
      line+=" $n $(printf '%.3f' "$t") s;"
    fi
  done
  echo "$line"
  if [ "${#probes[@]}" -gt 0 ]; then
    order=("${probes[@]}")
    [ $((r % 2)) -eq 0 ] && mapfile -t order < <(printf '%s\n' "${probes[@]}" | tac)
    line="round $r, first window:"
    for k in $(seq 1 "$repeat"); do
      for n in "${order[@]}"; do
        t=$(window "$n")
        times[win-$n]+="$t "
        line+=" $n $t ms;"
      done
    done
    echo "$line"
  fi
done
rm -rf "$target" "$loop_out"

stats() { printf '%s\n' $1 | grep -v '^-$' | sort -g | awk '{v[NR]=$1} END {if (NR) print v[1], v[int((NR+1)/2)]; else print "nan nan"}'; }
declare -A pb pm
payload() {  # label, setup names (one, many) → prints, sets pb/pm[label]
  local ob om mb mm x y pc sc
  read -r ob om < <(stats "${times[$2]}")
  read -r mb mm < <(stats "${times[$3]}")
  pb[$1]=$(echo "$mb - $ob" | bc -l)
  pm[$1]=$(echo "$mm - $om" | bc -l)
  printf '%s: one file best %.3f / median %.3f s; %d files best %.3f / median %.3f s\n' \
    "$1" "$ob" "$om" "$files" "$mb" "$mm"
  printf '  payload: best %.3f s, median %.3f s (%.2f ms per file)\n' "${pb[$1]}" "${pm[$1]}" \
    "$(echo "1000 * ${pm[$1]} / $files" | bc -l)"
  read -r x y < <(stats "${cpu[$2]}")
  read -r pc y < <(stats "${cpu[$3]}")
  pc=$(echo "$pc - $x" | bc -l)
  read -r x y < <(stats "${srv[$2]}")
  read -r sc y < <(stats "${srv[$3]}")
  sc=$(echo "$sc - $x" | bc -l)
  printf '  payload processor time (best): the machine %.2f s, of which the wineserver %.2f s\n' "$pc" "$sc"
}
ratio() {  # label, numerator, denominator[, goal]
  local b m
  b=$(echo "${pb[$2]} / ${pb[$3]}" | bc -l)
  m=$(echo "${pm[$2]} / ${pm[$3]}" | bc -l)
  printf '  %s: best %.2f, median %.2f' "$1" "$b" "$m"
  [ -z "${4:-}" ] && { echo; return; }
  printf ' (goal ≤ %s: %s)\n' "$4" "$(echo "$b <= $4 && $m <= $4" | bc -l | sed 's/1/met/;s/0/not met/')"
}
echo "payload (large setup minus one-file setup, wall clock):"
for i in "${!stubs[@]}"; do
  payload "${stubs[$i]}" "one$i" "many$i"
  payload "${stubs[$i]} /S" "silent-one$i" "silent-many$i"
done
[ -n "$peer" ] && payload "peer (makensis zlib, 32-bit, /S)" peer-one peer-many
if [ -n "$loop" ]; then
  payload "inflate loop (i686, Win32 calls)" loop-one loop-many
  read -r lb lm < <(stats "${self[loop-many]}")
  printf '  its own timing of the large setup'"'"'s regions: best %.3f s, median %.3f s\n' "$lb" "$lm"
  payload "inflate loop --check (every region inflated twice)" loopcheck-one loopcheck-many
  read -r lb lm < <(stats "${self[loopcheck-many]}")
  printf '  its own timing of the large setup'"'"'s regions: best %.3f s, median %.3f s\n' "$lb" "$lm"
fi
for i in "${!stubs[@]}"; do
  for label in "${stubs[$i]}" "${stubs[$i]} /S"; do
    echo "$label:"
    [ -n "$peer" ] && ratio "payload / peer's" "$label" "peer (makensis zlib, 32-bit, /S)" 0.35
    [ -n "$loop" ] && ratio "payload / loop's" "$label" "inflate loop (i686, Win32 calls)" 1.2
    [ -n "$loop" ] && ratio "payload / loop --check's" "$label" \
      "inflate loop --check (every region inflated twice)"
  done
done
if [ "${#probes[@]}" -gt 0 ]; then
  echo "start to first window, one-file packages (ms, process start included):"
  declare -A wb wm
  for n in "${probes[@]}"; do
    read -r wb[$n] wm[$n] < <(stats "${times[win-$n]}")
    misses=$(printf '%s\n' ${times[win-$n]} | grep -c '^-$' || true)
    printf '  %-12s best %s, median %s%s\n' "$n" "${wb[$n]}" "${wm[$n]}" \
      "$([ "$misses" -gt 0 ] && echo " ($misses rounds without a window)")"
  done
  if [ -n "$peer" ]; then
    for i in "${!stubs[@]}"; do
      for n in "one$i" "wizard$i"; do
        b=$(echo "${wb[$n]} / ${wb[peer-one]}" | bc -l 2>/dev/null || echo nan)
        m=$(echo "${wm[$n]} / ${wm[peer-one]}" | bc -l 2>/dev/null || echo nan)
        printf '  %s %s / peer'"'"'s: best %.2f, median %.2f (goal ≤ 1: %s)\n' "${stubs[$i]}" \
          "${n%"$i"}" "$b" "$m" "$(echo "$b <= 1 && $m <= 1" | bc -l | sed 's/1/met/;s/0/not met/')"
      done
    done
  fi
  echo "windows seen: $(sort "$work/windows.log" | sed -E 's/^[0-9.]+ ms +//' | sort | uniq -c | tr -s ' ' | paste -sd';')"
fi
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
