#!/bin/sh
# Capture cost against the size of a registration: servers that write about
# 1,000, 5,000 and 20,000 keys (classes with their ProgIDs and proxied
# interfaces), each registered by regsvr32 and captured by twutil in the same
# prefix (BUILD_DIR/bench-prefix); times, ratios and peak memory side by side.
#   capture_scale.sh [BUILD_DIR] [SIZES...]
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/tools/wine/env.sh"
build=$(cd "${1:-$here/build}" && pwd)
[ $# -gt 0 ] && shift
sizes=${*:-1000 5000 20000}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$TWUTIL_TOOLCHAIN" >/dev/null
fi
cmake --build "$build" --target TWUtil TWRegSpy twutil TWScaleServer -j2 >/dev/null

export WINEPREFIX="$build/bench-prefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$here/tools/wine/prefix.sh" create "$WINEPREFIX" >/dev/null 2>&1
else
  wineserver -p </dev/null >/dev/null 2>&1 || true
fi
trap '"$here/tools/wine/prefix.sh" stop "$WINEPREFIX"' EXIT
run() { "$TWUTIL_WINE" "$@" </dev/null; }
run regsvr32 /s "$(winpath "$build/bin/TWUtil.dll")"
run regsvr32 /s "$(winpath "$build/bin/TWRegSpy.dll")"

# Seconds (wall) and peak resident kilobytes of one command, as "S KB".
measure() {
  /usr/bin/time -f '%e %M' -o "$build/bench-time" "$@" >/dev/null 2>&1 || true
  cat "$build/bench-time"
}

work="$build/bench/scale"
mkdir -p "$work"
printf '%8s %12s %12s %8s %14s %14s\n' keys regsvr32_s capture_s ratio regsvr32_kb capture_kb
first=""
for keys in $sizes; do
  server="$work/TWScale$keys.dll"
  cp "$build/bin/bench/TWScaleServer.dll" "$server"
  set -- $(measure "$TWUTIL_WINE" regsvr32 /s "$(winpath "$server")")
  own_s=$1 own_kb=$2
  run regsvr32 /u /s "$(winpath "$server")"
  set -- $(measure "$TWUTIL_WINE" "$build/bin/twutil.exe" capture --output \
    "$(winpath "$work/TWScale$keys.json")" "$(winpath "$server")")
  capture_s=$1 capture_kb=$2
  ratio=$(awk -v a="$capture_s" -v b="$own_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  printf '%8s %12s %12s %8s %14s %14s\n' "$keys" "$own_s" "$capture_s" "$ratio" "$own_kb" \
    "$capture_kb"
  [ -n "$first" ] || first=$capture_s
  last=$capture_s
done
awk -v a="$last" -v b="$first" 'BEGIN { printf "largest capture / smallest capture: %.1f\n", a / b }'
