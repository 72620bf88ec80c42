#!/usr/bin/env bash
# real-tree.sh [DIR]: makes, once, a folder of about 420 real files and 100 MiB: 150 documentation
# files from /usr/share/doc (small texts and compressed change logs) and shared libraries from
# /usr/lib/x86_64-linux-gnu (by name, each below 8 MiB, until 100 MiB are reached). Sub-folders are
# kept (doc/<package>/..., lib/...). Prints the folder. Default DIR: build/bench-data/real.
# The selection depends on what the machine has installed: compare figures of one machine only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="${1:-$root/build/bench-data/real}"
if [ ! -f "$dir/.done" ]; then
  rm -rf "$dir"
  mkdir -p "$dir/doc" "$dir/lib"
  mapfile -t docs < <(find /usr/share/doc -type f -printf '%P\n' | LC_ALL=C sort)
  for f in "${docs[@]:0:150}"; do
    mkdir -p "$dir/doc/$(dirname "$f")"
    cp --preserve=timestamps "/usr/share/doc/$f" "$dir/doc/$f"
  done
  limit=$((100 << 20))
  total=$(du -sb "$dir" | cut -f1)
  while read -r f; do
    size=$(stat -c %s "$f")
    [ $((total + size)) -gt "$limit" ] && break
    cp --preserve=timestamps "$f" "$dir/lib/"
    total=$((total + size))
  done < <(find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -name '*.so*' -size -8M | LC_ALL=C sort)
  touch "$dir/.done"
fi
echo "$dir"
