#!/bin/sh
# In-place version stamping against rewriting the same version resource
# through the resource-update service (BeginUpdateResource / UpdateResource /
# EndUpdateResource), on a real executable shipped with Wine (regedit.exe)
# as it is and padded with a large section. Prints both times and the ratio.
#   stamp.sh [BUILD_DIR] [PAD_MEGABYTES]
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/tools/wine/env.sh"
build=${1:-$here/build}
megabytes=${2:-200}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$TWUTIL_TOOLCHAIN" \
    >/dev/null
fi
cmake --build "$build" --target bench_stamp -j2 >/dev/null

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


"$build/wine-run" "$build/bin/bench_stamp.exe" 'C:\windows\syswow64\regedit.exe' \
  "$(winpath "$work")" "$megabytes" | tr -d '\r'
