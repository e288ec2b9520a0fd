#!/bin/sh
# Throughput of SearchReplace.SearchAndReplace against sed on the same 100 MB
# text file: builds the benchmark, makes the file, times both, checks that
# both wrote the same bytes and prints the ratio (ours / sed's throughput).
#   search_replace.sh [BUILD_DIR] [MEGABYTES]
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/tools/wine/env.sh"
build=${1:-$here/build}
megabytes=${2:-100}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$TWUTIL_TOOLCHAIN" \
    >/dev/null
fi
cmake --build "$build" --target bench_search_replace -j2 >/dev/null

prefix="$build/wineprefix"
made_prefix=no
if [ ! -d "$prefix" ]; then
  "$here/tools/wine/prefix.sh" create "$prefix" >/dev/null 2>&1
  made_prefix=yes
fi

work=$(mktemp -d)
cleanup() {
  rm -rf "$work"
  if [ "$made_prefix" = yes ]; then "$here/tools/wine/prefix.sh" stop "$prefix"; fi
}
trap cleanup EXIT

# Lines of ordinary text, two occurrences each.
yes 'The quick brown fox jumps over the lazy dog; the fox is quick, the dog is not.' |
  head -c $((megabytes * 1024 * 1024)) >"$work/source.txt"

now() { date +%s.%N; }

# Warm the page cache so neither side pays for the first read.
cat "$work/source.txt" >/dev/null

start=$(now)
LC_ALL=C sed 's/fox/wolf/g' "$work/source.txt" >"$work/sed.txt"
sed_seconds=$(echo "$start $(now)" | awk '{ printf "%.3f", $2 - $1 }')

start=$(now)
call_seconds=$("$build/wine-run" "$build/bin/bench_search_replace.exe" \
  "$(winpath "$work/source.txt")" "$(winpath "$work/ours.txt")" fox wolf | tr -d '\r')
wall_seconds=$(echo "$start $(now)" | awk '{ printf "%.3f", $2 - $1 }')

if ! cmp -s "$work/sed.txt" "$work/ours.txt"; then
  echo "outputs differ" >&2
  exit 1
fi

echo "file:                    $megabytes MB"
echo "sed:                     $sed_seconds s"
echo "SearchAndReplace call:   $call_seconds s"
echo "bench process (wine):    $wall_seconds s"
awk -v s="$sed_seconds" -v c="$call_seconds" -v w="$wall_seconds" -v mb="$megabytes" 'BEGIN {
  printf "throughput sed:          %.0f MB/s\n", mb / s
  printf "throughput ours (call):  %.0f MB/s\n", mb / c
  printf "ratio ours/sed (call):   %.2f\n", s / c
  printf "ratio ours/sed (process, with Wine start): %.2f\n", s / w
}'
