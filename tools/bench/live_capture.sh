#!/bin/sh
# A live-registry capture of one file in a registry holding CLASSES synthetic
# classes (with ProgIDs and extensions), against one bare enumeration of the
# same keys through the Registry class. Uses its own Wine prefix
# (BUILD_DIR/bench-prefix, filled once and kept for reruns).
#   live_capture.sh [BUILD_DIR] [CLASSES]
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/tools/wine/env.sh"
build=$(cd "${1:-$here/build}" && pwd)
classes=${2:-20000}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$TWUTIL_TOOLCHAIN" \
    >/dev/null
fi
cmake --build "$build" --target TWUtil bench_live_capture -j2 >/dev/null

prefix="$build/bench-prefix"
if [ ! -f "$prefix/system.reg" ]; then
  "$here/tools/wine/prefix.sh" create "$prefix" >/dev/null 2>&1
else
  WINEPREFIX="$prefix" wineserver -p </dev/null >/dev/null 2>&1 || true
fi
trap '"$here/tools/wine/prefix.sh" stop "$prefix"' EXIT

run() {
  WINEPREFIX="$prefix" "$TWUTIL_WINE" "$@"
}
run regsvr32 /s "$build/bin/TWUtil.dll"
run "$build/bin/bench_live_capture.exe" "$classes" | tr -d '\r'
